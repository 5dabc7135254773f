// Start-up, suspend and resume, reset, the exit countdown and shutdown, as seen through the fake
// window, settings store and device. The tick's data path is in EngineTick_test.cpp.

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

TEST(EngineStartUp, CaptionTrayAndWindowPlacementPerPort) {
    EngineRig rig;
    rig.Store.Entries[{"Quorvane - COM1", "Settings", "MainLeft"}] = "1500";
    rig.Store.Entries[{"Quorvane - COM1", "Settings", "MainTop"}] = "bogus";
    rig.View.Position = {10, 20};
    rig.load();
    EXPECT_EQ(rig.View.Caption, "Quorvane - COM1");
    EXPECT_EQ(rig.View.TrayTip, "Quorvane - COM1");
    EXPECT_TRUE(rig.View.TrayIcon);
    EXPECT_EQ(rig.View.Position, (WindowPosition{1500, 20})) << "an unreadable value leaves its edge";
}

TEST(EngineStartUp, VirtualDeviceCaption) {
    EngineRig rig(engineTestConfig(), ActivationKind::VirtualInstrument);
    rig.load();
    EXPECT_EQ(rig.View.Caption, "Quorvane - COM1 (Virtual Device)");
}

TEST(EngineStartUp, FieldBoxesTagsAndColumnsBesideTheStringButtons) {
    Configuration config = engineTestConfig();
    config.FieldCount = 7;
    config.OutputString[2] = "A";
    config.OutputStringName[2] = "Tare";
    config.OutputString[5] = "B";
    EngineRig rig(config);
    rig.load();
    EXPECT_EQ(rig.View.Buttons[2].Caption, "Tare");
    EXPECT_TRUE(rig.View.Buttons[2].Visible);
    EXPECT_EQ(rig.View.Buttons[2].Row, 0);
    EXPECT_EQ(rig.View.Buttons[5].Row, 1) << "hidden buttons take no row";
    EXPECT_FALSE(rig.View.Buttons[1].Visible);
    ASSERT_EQ(rig.View.Fields.size(), 7u);
    EXPECT_EQ(rig.View.Fields[3].Tag, "Field(3)");
    EXPECT_EQ(rig.View.Fields[4].Column, 0) << "first column holds ceil(7/2) = 4";
    EXPECT_EQ(rig.View.Fields[5].Column, 1);
    EXPECT_EQ(rig.View.Fields[5].Row, 0);
    EXPECT_EQ(rig.View.Height, 100 + std::max(3 * 270 + 950, 4 * 270 + 1200));
}

TEST(EngineStartUp, LoadingAgainRebuildsTheFieldBoxes) {
    Configuration config = engineTestConfig();
    config.FieldCount = 5;
    EngineRig rig(config);
    rig.load();
    rig.Config.FieldCount = 2;
    rig.load();
    EXPECT_EQ(rig.View.Fields.size(), 2u);
}

TEST(EngineStartUp, OptionsReachTheWindow) {
    Configuration config = engineTestConfig();
    config.MinimizeOnActivation = kTrue;
    config.AlwaysOnTop = kTrue;
    config.ButtonFlags = 2;
    config.ShowDateTime = kFalse;
    config.TimerInterval = 0;
    config.TimerFlags = 1 + 2;
    EngineRig rig(config);
    rig.load();
    EXPECT_TRUE(rig.View.Minimized);
    EXPECT_EQ(rig.View.MinimizeCalls, (std::vector<bool>{true, false, true})) << "restored for the resize";
    EXPECT_TRUE(rig.View.AlwaysOnTop);
    EXPECT_FALSE(rig.View.DtrButtonVisible);
    EXPECT_TRUE(rig.View.BreakButtonVisible);
    EXPECT_FALSE(rig.View.DateTimeVisible);
    EXPECT_FALSE(rig.View.MenuVisible[EngineMenu::TOutCtrl]);
    EXPECT_EQ(rig.Engine.state().TimedOutputFlags, 2) << "no interval: timed output off";
}

TEST(EngineStartUp, StartSuspendedSuspendsAndDdeCommandWantedFollowsTheMode) {
    Configuration config = engineTestConfig();
    config.StartSuspended = kTrue;
    config.OutputMode = 1;
    config.DdeCommand = "[RUN(\"x\")]";
    EngineRig rig(config);
    rig.load();
    EXPECT_TRUE(rig.Engine.state().Suspended);
    EXPECT_EQ(rig.View.Caption, "Quorvane - COM1 (S)");
    EXPECT_TRUE(rig.Engine.state().DdeCommandWanted);
}

TEST(EngineSuspend, ToggleCaptionsMenusAndTimedOutputBase) {
    EngineRig rig;
    rig.load();
    rig.Engine.SuspendMenu_Click();
    EXPECT_EQ(rig.View.Caption, "Quorvane - COM1 (S)");
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::SuspendMenu], "Re&sume Quorvane");
    EXPECT_TRUE(rig.View.MenuVisible[EngineMenu::Resume1]);
    rig.Engine.state().TimedOutputBase = 1234;
    rig.Engine.SuspendMenu_Click();
    EXPECT_EQ(rig.View.Caption, "Quorvane - COM1");
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::SuspendMenu], "&Suspend Quorvane");
    EXPECT_FALSE(rig.View.MenuVisible[EngineMenu::Resume1]);
    EXPECT_EQ(rig.Engine.state().TimedOutputBase, 0);
}

TEST(EngineSuspend, ResumeForOneRecordWhileRunningChangesNothing) {
    EngineRig rig;
    rig.load();
    rig.Engine.Resume1_Click();
    EXPECT_FALSE(rig.Engine.state().Suspended);
    EXPECT_FALSE(rig.Engine.state().OneRecordOnly);
}

TEST(EngineReset, DiscardsThePartialRecordAndRestartsNumbering) {
    EngineRig rig;
    rig.load();
    rig.send("one\r").tick();
    EXPECT_EQ(rig.View.RecordNumber, "1");
    rig.send("partial").tick();
    rig.Engine.MReset_Click();
    EXPECT_EQ(rig.View.RecordNumber, "");
    EXPECT_EQ(rig.View.field(1), "");
    EXPECT_FALSE(rig.Engine.state().InRecord);
    EXPECT_EQ(rig.Device.callsOf("purge").size(), 1u);
    rig.send("two\r").tick();
    EXPECT_EQ(rig.View.RecordNumber, "1");
    EXPECT_EQ(rig.log(), "one\rtwo\r");
}

TEST(EngineReset, VoidMarkOfTheDiscardedRecordDoesNotVoidTheNextOne) {
    Configuration config = engineTestConfig();
    config.PreInputTranslation['!'] = "Void Record";
    EngineRig rig(config);
    rig.load();
    rig.send("ab!").tick();
    rig.Engine.MReset_Click();
    rig.send("ok\r").tick();
    EXPECT_EQ(rig.log(), "ok\r");
}

TEST(EngineReset, ResumesThenHonoursStartSuspended) {
    Configuration config = engineTestConfig();
    config.StartSuspended = kTrue;
    EngineRig rig(config);
    rig.load();
    rig.Engine.state().OneRecordOnly = true;
    rig.Engine.MReset_Click();
    EXPECT_TRUE(rig.Engine.state().Suspended);
    EXPECT_FALSE(rig.Engine.state().OneRecordOnly);
    rig.Engine.SuspendMenu_Click();
    rig.Engine.MReset_Click();
    EXPECT_TRUE(rig.Engine.state().Suspended) << "reset always ends as the start-up left it";
}

TEST(EngineReset, VirtualDeviceEmptiesItsInputAndPurgesNothing) {
    EngineRig rig(engineTestConfig(), ActivationKind::VirtualInstrument);
    rig.load();
    rig.send("abc");
    rig.Engine.MReset_Click();
    EXPECT_TRUE(rig.Engine.VirtualInput().empty());
    EXPECT_TRUE(rig.Device.callsOf("purge").empty());
}

TEST(EngineExit, AppExitWaitsForTwoTicksWithoutInput) {
    EngineRig rig;
    rig.load();
    rig.Engine.RequestAppExit();
    rig.send("x").tick();
    EXPECT_FALSE(rig.Engine.exitRequested()) << "first tick that finds the port empty";
    rig.tick();
    EXPECT_TRUE(rig.Engine.exitRequested());
    EXPECT_EQ(rig.View.CloseRequests, 1);
}

TEST(EngineExit, AppExitWaitsWhileSuspended) {
    EngineRig rig;
    rig.load();
    rig.Engine.SuspendMenu_Click();
    rig.Engine.RequestAppExit();
    rig.tick(5);
    EXPECT_FALSE(rig.Engine.exitRequested());
    rig.Engine.SuspendMenu_Click();
    rig.tick(2);
    EXPECT_TRUE(rig.Engine.exitRequested());
}

TEST(EngineExit, OneRecordRunEndedByTheTimeGapDoesNotCountTowardTheExit) {
    Configuration config = engineTestConfig();
    config.EndOfRecordEvent = 1;
    config.TimeBetweenRecords = 3;
    EngineRig rig(config);
    rig.load();
    rig.Engine.SuspendMenu_Click();
    rig.send("12");
    rig.Engine.Resume1_Click();
    rig.tick(3);
    rig.Engine.RequestAppExit();
    rig.tick();
    ASSERT_EQ(rig.log(), "12");
    ASSERT_TRUE(rig.Engine.state().Suspended);
    rig.Engine.SuspendMenu_Click();
    rig.tick();
    EXPECT_FALSE(rig.Engine.exitRequested()) << "the tick that ended the run counted as one without input";
    rig.tick();
    EXPECT_TRUE(rig.Engine.exitRequested());
}

TEST(EngineExit, NoTickRunsAfterTheExitRequest) {
    EngineRig rig;
    rig.load();
    rig.Engine.ExitMenu_Click();
    rig.send("a\r").tick();
    EXPECT_EQ(rig.View.RecordNumber, "");
}

TEST(EngineUnload, SavesThePositionPerPortAndClosesThePort) {
    EngineRig rig;
    rig.load();
    rig.View.Position = {1234.5, 678};
    rig.Engine.ExitMenu_Click();
    rig.Engine.Form_Unload();
    rig.Engine.Form_Unload();
    EXPECT_EQ((rig.Store.Entries[{"Quorvane - COM1", "Settings", "MainLeft"}]), "1234.5");
    EXPECT_EQ((rig.Store.Entries[{"Quorvane - COM1", "Settings", "MainTop"}]), "678");
    EXPECT_FALSE(rig.View.TrayIcon);
    EXPECT_FALSE(rig.Device.IsOpen);
    EXPECT_EQ(rig.Device.callsOf("close").size(), 1u) << "a second unload does nothing";
    EXPECT_FALSE(rig.Device.Dtr);
    EXPECT_FALSE(rig.Device.Rts);
}

TEST(EngineUnload, MinimizedWindowKeepsTheStoredPosition) {
    Configuration config = engineTestConfig();
    config.PortIndex = 2;
    EngineRig rig(config);
    rig.load();
    rig.View.Minimized = true;
    rig.Engine.Form_Unload();
    EXPECT_EQ(rig.Store.Writes, 0);
}

} // namespace
} // namespace quorvane::test
