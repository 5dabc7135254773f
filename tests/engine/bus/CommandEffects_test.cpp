// The commands that drive the engine, the timed output, the serial lines and the configuration
// reload, with their effects seen through ticks of the engine on the fake platform.

#include "config/ConfigFiles.h"
#include "engine/bus/CommandTestSupport.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace quorvane::test {
namespace {

TEST(CommandEngine, SuspendAndResumeMoveOnlyInTheirOwnDirection) {
    CommandRig rig;
    EXPECT_EQ(rig.run("{RESUME}"), kAccepted);
    EXPECT_FALSE(rig.Engine.state().Suspended);
    EXPECT_EQ(rig.run("{SUSPEND}"), kAccepted);
    EXPECT_EQ(rig.run("{SUSPEND}"), kAccepted);
    EXPECT_TRUE(rig.Engine.state().Suspended);
    rig.send("1,2,3\r").tick();
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "");
    EXPECT_EQ(rig.run("{RESUME}"), kAccepted);
    rig.tick();
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "1");
}

TEST(CommandEngine, ResumeOneDeliversOneRecordAndIsIgnoredWhileRunning) {
    CommandRig rig;
    EXPECT_EQ(rig.run("{RESUME1}"), kAccepted);
    EXPECT_FALSE(rig.Engine.state().OneRecordOnly);
    rig.run("{SUSPEND}");
    rig.send("1,2,3\r4,5,6\r").tick();
    EXPECT_EQ(rig.run("{RESUME1}"), kAccepted);
    rig.tick(2);
    EXPECT_TRUE(rig.Engine.state().Suspended);
    EXPECT_EQ(rig.Items.itemText("Field(1)"), "1");
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "1");
}

TEST(CommandEngine, ResetDropsThePartialRecordAndPurgesThePort) {
    CommandRig rig;
    rig.send("1,2,3\r7,").tick();
    EXPECT_EQ(rig.run("{RESET}"), kAccepted);
    EXPECT_EQ(rig.Device.callsOf("purge").size(), 1u);
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "");
    rig.send("8,9,10\r").tick();
    EXPECT_EQ(rig.Items.itemText("Field(1)"), "8");
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "1");
}

TEST(CommandEngine, AppExitTakesEffectAfterTwoTicksThatFindNoInput) {
    CommandRig rig;
    EXPECT_EQ(rig.run("{APPEXIT}"), kAccepted);
    EXPECT_FALSE(rig.Engine.exitRequested());
    rig.tick();
    EXPECT_FALSE(rig.Engine.exitRequested());
    rig.tick();
    EXPECT_TRUE(rig.Engine.exitRequested());
}

TEST(CommandEngine, AppExitWaitsWhileSuspended) {
    CommandRig rig;
    rig.run("{SUSPEND}");
    rig.run("{APPEXIT}");
    rig.tick(5);
    EXPECT_FALSE(rig.Engine.exitRequested());
    rig.run("{RESUME}");
    rig.tick(2);
    EXPECT_TRUE(rig.Engine.exitRequested());
}

TEST(CommandTimer, OnOffStringAndIntervalDriveTheTimedOutput) {
    CommandRig rig;
    EXPECT_EQ(rig.run("{TIMERSTRING='P'13}"), kAccepted);
    EXPECT_EQ(rig.Config.TimerString, "P\r");
    EXPECT_EQ(rig.run("{TIMER-OFF}"), kAccepted);
    rig.tick(40);
    EXPECT_EQ(rig.Device.Written, "");
    EXPECT_EQ(rig.run("{TIMER-ON}"), kAccepted);
    EXPECT_EQ(rig.run("{TIMER-ON}"), kAccepted);
    EXPECT_TRUE(rig.Output.timedOutputEnabled());
    EXPECT_EQ(rig.run("{TIMERINTERVAL=5}"), kAccepted);
    EXPECT_EQ(rig.Config.TimerInterval, 5);
    rig.tick(4);
    EXPECT_EQ(rig.Device.Written, "P\rP\rP\r");
}

TEST(CommandTimer, AZeroOrNegativeIntervalSwitchesOffAndDisablesTheMenuEntry) {
    for (const char* command : {"{TIMERINTERVAL=0}", "{TIMERINTERVAL=-7}", "{timerinterval=0.4}"}) {
        CommandRig rig;
        EXPECT_EQ(rig.run(command), kAccepted) << command;
        EXPECT_EQ(rig.Config.TimerInterval, 0) << command;
        EXPECT_FALSE(rig.Output.timedOutputEnabled()) << command;
        EXPECT_FALSE(rig.Output.TOutCtrl().Enabled) << command;
    }
}

TEST(CommandTimer, AnIntervalBeyondThirtyTwoBitsIsRefusedAndChangesNothing) {
    CommandRig rig;
    for (const char* command : {"{TIMERINTERVAL=2147483648}", "{TIMERINTERVAL=-1E20}", "{TIMERINTERVAL=}"})
        EXPECT_EQ(rig.run(command), kRefused) << command;
    EXPECT_EQ(rig.Config.TimerInterval, 1000);
    EXPECT_EQ(rig.run("{TIMERINTERVAL=2147483647}"), kAccepted);
}

TEST(CommandLines, ActOnThePortAtOnce) {
    CommandRig rig;
    for (const char* command : {"{DTR=OFF}", "{DTR=ON}", "{RTS=OFF}", "{RTS=ON}", "{BREAK}", "{TOGGLEDTR}",
                                "{PUSH(DTR~)}", "{PUSH(BREAK)}"})
        EXPECT_EQ(rig.run(command), kAccepted) << command;
    EXPECT_EQ(rig.Device.callsOf("dtr"),
              (std::vector<std::string>{"dtr off", "dtr on", "dtr off", "dtr on", "dtr off", "dtr on"}));
    EXPECT_EQ(rig.Device.callsOf("rts"), (std::vector<std::string>{"rts off", "rts on"}));
    EXPECT_EQ(rig.Device.callsOf("break"), (std::vector<std::string>{"break on", "break on"}));
}

TEST(CommandLines, VirtualModeAcceptsLineCommandsWithoutAPortButRefusesPushedSignals) {
    CommandRig rig(commandTestConfig(), ActivationKind::VirtualInstrument);
    for (const char* command : {"{DTR=OFF}", "{RTS=ON}", "{BREAK}", "{TOGGLEDTR}", "{RESET}"})
        EXPECT_EQ(rig.run(command), kAccepted) << command;
    EXPECT_EQ(rig.run("{PUSH(DTR~)}"), kRefused);
    EXPECT_EQ(rig.run("{PUSH(BREAK)}"), kRefused);
    EXPECT_EQ(rig.run("{CONFIG(/any.qv3)}"), kRefused);
    EXPECT_TRUE(rig.Device.Calls.empty());
}

TEST(CommandStripCrLf, SwitchesHowTheBufferLinksTextIsQueued) {
    CommandRig rig;
    EXPECT_EQ(rig.run("{STRIPCRLF-OFF}"), kAccepted);
    rig.Bridge.links().bufferLinkText("5\r\n");
    EXPECT_EQ(rig.queue(), "5\r\n");
    EXPECT_EQ(rig.run("{STRIPCRLF-ON}"), kAccepted);
    EXPECT_EQ(rig.Config.StripBufferCrLf, kTrue);
    rig.Bridge.links().bufferLinkText("6\r\n");
    EXPECT_EQ(rig.queue(), "5\r\n6");
}

// Both links automatic, to the items cmd and out of Peer|Cmds.
void linkToPeer(Configuration& config) {
    config.CommandLinkApp = config.BufferLinkApp = "Peer";
    config.CommandLinkTopic = config.BufferLinkTopic = "Cmds";
    config.CommandLinkItem = "cmd";
    config.BufferLinkItem = "out";
    config.CommandLinkAuto = config.BufferLinkAuto = kTrue;
}

class CommandConfig : public testing::Test {
protected:
    // Writes a configuration for port index `port` into the temporary folder.
    std::string write(const std::string& name, std::int16_t port, int fieldCount,
                      const std::string& topic = {},
                      const std::function<void(Configuration&)>& adjust = nullptr) {
        Configuration config = commandTestConfig();
        config.PortIndex = port;
        config.FieldCount = static_cast<std::int16_t>(fieldCount);
        config.DdeTopic = topic;
        if (adjust)
            adjust(config);
        config.ConfigFileName = Dir.file(name);
        FakePrompts prompts;
        FakeFileDialogs dialogs;
        FakeSettingsStore store;
        RecentFiles recent(store);
        PosixConfigFileAccess files;
        EXPECT_TRUE(ConfigFiles(config, files, prompts, dialogs, recent).WriteConfigFile());
        return config.ConfigFileName;
    }

    TempDir Dir;
    CommandRig Rig;
};

TEST_F(CommandConfig, SamePortReloadsReopensThePortAndKeepsTheTopic) {
    const std::string path = write("Mixed Case.QV3", 0, 5, "Other");
    Rig.queue() = "pending";
    EXPECT_EQ(Rig.run("{CONFIG(" + path + ")}"), kAccepted);
    EXPECT_EQ(Rig.Config.ConfigFileName, path);
    EXPECT_EQ(Rig.Engine.fieldCount(), 5);
    EXPECT_EQ(Rig.Device.Calls.front(), "close");
    EXPECT_TRUE(Rig.Port.isOpen());
    EXPECT_EQ(Rig.Bridge.topic(), "COM1");
    EXPECT_EQ(Rig.Server.Name, DdeBusName("Quorvane", "COM1"));
    EXPECT_TRUE(Rig.Items.itemText("Field(5)").has_value());
    EXPECT_EQ(Rig.queue(), "pending");
    Rig.send("1,2,3,4,5\r").tick();
    EXPECT_EQ(Rig.Items.itemText("Field(5)"), "5");
}

TEST_F(CommandConfig, AnotherPortOrABadFileIsRefusedAndEverythingKeepsRunning) {
    const std::string other = write("other.qv3", 1, 5);
    const std::string truncated = Dir.file("truncated.qv3");
    ASSERT_TRUE(WriteWholeFile(truncated, ReadWholeFile(write("whole.qv3", 0, 5))->substr(0, 200)));
    ASSERT_TRUE(WriteWholeFile(Dir.file("text.qv3"), "not a configuration\r\n"));
    for (const std::string& path : {other, truncated, Dir.file("text.qv3"), Dir.file("missing.qv3"),
                                    std::string(Dir.file("WHOLE.QV3"))}) {
        EXPECT_EQ(Rig.run("{CONFIG(" + path + ")}"), kRefused) << path;
        EXPECT_EQ(Rig.Config.FieldCount, 3) << path;
        EXPECT_EQ(Rig.Config.ConfigFileName, "") << path;
    }
    EXPECT_TRUE(Rig.Device.callsOf("close").empty());
    EXPECT_EQ(Rig.run("{CONFIG()}"), kRefused);
    Rig.send("1,2,3\r").tick();
    EXPECT_EQ(Rig.Items.itemText("RecordNumber"), "1");
}

TEST_F(CommandConfig, AReloadLeavesTheLinkedItemsTextAloneAndRunsOnlyItsChanges) {
    const std::string linked = write("Linked.qv3", 0, 5, {}, linkToPeer);
    const std::string reload = "{CONFIG(" + linked + ")}";
    FakePeer& peer = Rig.Client.startPeer("Peer", "Cmds");
    // Run again at each reload, each of these would end, re-link or reload the engine for ever.
    for (const std::string& stale : {std::string("{APPEXIT}"), std::string("{REFRESH-COMMAND}"), reload}) {
        peer.Items["cmd"] = stale;
        peer.Items["out"] = "stale";
        const int connects = Rig.Client.ConnectAttempts;
        EXPECT_EQ(Rig.run(reload), kAccepted) << stale;
        Rig.tick(3);
        EXPECT_EQ(Rig.Client.ConnectAttempts, connects + 2) << stale;
        EXPECT_FALSE(Rig.Engine.exitRequested()) << stale;
        EXPECT_EQ(Rig.Device.Written.find("stale"), std::string::npos) << stale;
    }

    const std::size_t closes = Rig.Device.callsOf("close").size();
    Rig.Client.setPeerItem("Peer", "Cmds", "cmd", reload);
    EXPECT_EQ(Rig.Device.callsOf("close").size(), closes + 1);
    Rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{SEND(fresh)}");
    Rig.Client.setPeerItem("Peer", "Cmds", "out", "text");
    EXPECT_EQ(Rig.queue(), "freshtext");
}

TEST_F(CommandConfig, AReloadAskedForWhileAReloadRunsIsRefused) {
    // Nobody serves the new links: their message boxes are up while the reload loads.
    const std::string linked = write("Linked.qv3", 0, 5, {}, linkToPeer);
    const std::string other = write("Other.qv3", 0, 4);
    std::vector<CommandAck> nested;
    Rig.Prompts.WhileShown = [&](const FakePrompts::Shown&) {
        nested.push_back(Rig.run("{CONFIG(" + other + ")}"));
    };
    EXPECT_EQ(Rig.run("{CONFIG(" + linked + ")}"), kAccepted);
    EXPECT_EQ(nested, std::vector<CommandAck>(2, kRefused));
    EXPECT_EQ(Rig.Config.ConfigFileName, linked);
    EXPECT_EQ(Rig.Engine.fieldCount(), 5);

    Rig.Prompts.WhileShown = nullptr;
    EXPECT_EQ(Rig.run("{CONFIG(" + other + ")}"), kAccepted);
    EXPECT_EQ(Rig.Engine.fieldCount(), 4);
}

TEST_F(CommandConfig, AReloadShowsTheEngineRunningAndStartsFramingAfresh) {
    const std::string five = write("Five.qv3", 0, 5);
    Rig.send("7,!").tick(); // a record in progress, marked void
    ASSERT_TRUE(Rig.Engine.state().VoidPending);
    EXPECT_EQ(Rig.run("{SUSPEND}"), kAccepted);
    EXPECT_EQ(Rig.run("{CONFIG(" + five + ")}"), kAccepted);

    EXPECT_FALSE(Rig.Engine.state().Suspended);
    EXPECT_EQ(Rig.View.Caption, "Quorvane - COM1");
    EXPECT_EQ(Rig.View.MenuCaptions[EngineMenu::SuspendMenu], "&Suspend Quorvane");
    EXPECT_FALSE(Rig.View.MenuVisible[EngineMenu::Resume1]);
    EXPECT_FALSE(Rig.Engine.state().InRecord);
    Rig.send("1,2,3,4,5\r").tick();
    EXPECT_EQ(Rig.Items.itemText("Field(5)"), "5");
    EXPECT_EQ(Rig.Items.itemText("RecordNumber"), "1");
}

} // namespace
} // namespace quorvane::test
