// Output string buttons, the break and DTR signals, hot key registration and the fourteen hot key
// actions while running, suspended and in Virtual Instrument Mode. Button geometry (release inside
// the button) belongs to the window and is not covered here.

#include "engine/output/SerialOutputRig.h"

#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

constexpr int kF5 = 0x74;

Configuration withHotKey(int id, int action, std::int16_t key = keyWord(3, kF5), std::string text = "") {
    Configuration config = engineTestConfig();
    const auto i = static_cast<std::size_t>(id);
    config.HotKey[i] = key;
    config.HotKeyAction[i] = static_cast<std::int16_t>(action);
    config.HotKeyString[i] = std::move(text);
    return config;
}

TEST(OutputStringButtons, EachPressQueuesTheStringUnchanged) {
    Configuration config = engineTestConfig();
    config.OutputString[3] = std::string("G\0\r", 3);
    SerialOutputRig rig(config);
    rig.load();
    rig.Output.StringButton_Click(3);
    rig.Output.StringButton_Click(3);
    rig.Output.StringButton_Click(0);
    rig.Output.StringButton_Click(21);
    rig.tick();
    EXPECT_EQ(rig.sent(), std::string("G\0\rG\0\r", 6));
}

TEST(SignalButtons, BreakEndsTwoTicksAfterItsLastStart) {
    SerialOutputRig rig;
    rig.load();
    rig.Output.BreakButton_Click();
    rig.tick();
    rig.Output.StartBreak(); // again, while the first one still runs
    rig.tick();
    EXPECT_TRUE(rig.Device.Break) << "the second start restarts the count";
    rig.tick();
    EXPECT_FALSE(rig.Device.Break);
    EXPECT_EQ(rig.lineCalls(), (std::vector<std::string>{"break on", "break on", "break off"}));
}

TEST(SignalButtons, HotKeyBreakAndButtonBreakWithinOneTickEndTogether) {
    SerialOutputRig rig(withHotKey(0, 2));
    rig.load();
    rig.Keys.press(0);
    rig.Clock.advance(30);
    rig.Output.BreakButton_Click();
    rig.tick();
    EXPECT_TRUE(rig.Device.Break);
    rig.tick();
    EXPECT_FALSE(rig.Device.Break);
}

TEST(HotKeyRegistration, KeysWithACodeAreRegisteredWithTheirModifiers) {
    Configuration config = engineTestConfig();
    config.HotKey[0] = keyWord(3, kF5); // Ctrl+Shift
    config.HotKeyAction[0] = 1;
    config.HotKey[7] = keyWord(4, 'A'); // Alt, action None: registered all the same
    config.HotKey[12] = keyWord(7, 0);  // modifiers without a key: no hot key
    config.HotKeyAction[12] = 1;
    config.HotKey[49] = keyWord(0, 0xBA);
    SerialOutputRig rig(config);
    rig.load();
    EXPECT_EQ(rig.Keys.RegisterCalls, 3);
    ASSERT_EQ(rig.Keys.Registered.size(), 3U);
    EXPECT_EQ(rig.Keys.Registered[0].VirtualKey, kF5);
    EXPECT_EQ(rig.Keys.Registered[0].Modifiers, unsigned{kHotKeyModControl | kHotKeyModShift});
    EXPECT_EQ(rig.Keys.Registered[7].Modifiers, unsigned{kHotKeyModAlt});
    EXPECT_EQ(rig.Keys.Registered[49].Modifiers, 0U);
    EXPECT_FALSE(rig.Output.HotKeyRegistered(12));

    rig.tick();
    EXPECT_TRUE(rig.Keys.press(7));
    rig.tick();
    EXPECT_EQ(rig.sent(), "");
    EXPECT_TRUE(rig.lineCalls().empty());
}

TEST(HotKeyRegistration, KeyHeldByAnotherProgramStaysUnregistered) {
    Configuration config = withHotKey(1, 1, keyWord(2, 'Q'), "one");
    config.HotKey[2] = keyWord(2, 'W');
    config.HotKeyAction[2] = 1;
    config.HotKeyString[2] = "two";
    SerialOutputRig rig(config);
    rig.Keys.TakenElsewhere.insert({'Q', kHotKeyModControl});
    rig.load();
    EXPECT_FALSE(rig.Output.HotKeyRegistered(1));
    EXPECT_TRUE(rig.Output.HotKeyRegistered(2));
    EXPECT_FALSE(rig.Keys.press(1));
    EXPECT_TRUE(rig.Keys.press(2));
    rig.tick();
    EXPECT_EQ(rig.sent(), "two");
}

TEST(HotKeyRegistration, UnloadReleasesEveryKeyAndStopsThePresses) {
    SerialOutputRig rig(withHotKey(5, 1, keyWord(1, 'Z'), "z"));
    rig.load();
    ASSERT_TRUE(rig.Output.HotKeyRegistered(5));
    rig.Engine.Form_Unload();
    EXPECT_TRUE(rig.Keys.Registered.empty());
    EXPECT_FALSE(rig.Keys.Handler);
    EXPECT_FALSE(rig.Output.HotKeyRegistered(5));
}

// One hot key, its action, carried out in a given engine state.
struct ActionRun {
    explicit ActionRun(int action, bool suspended = false, ActivationKind activation = ActivationKind::Normal)
        : Rig(withHotKey(0, action, keyWord(3, kF5), "hk"), activation) {
        Rig.Config.TimerInterval = 1000;
        Rig.load();
        if (suspended)
            Rig.Engine.SuspendMenu_Click();
        Rig.Device.Calls.clear();
        Rig.Output.KbdHook(0);
    }
    SerialOutputRig Rig;
};

TEST(HotKeyActions, TransmitStringQueuesTheKeysStringInEveryState) {
    for (const bool suspended : {false, true}) {
        ActionRun run(1, suspended);
        run.Rig.tick();
        EXPECT_EQ(run.Rig.sent(), "hk");
    }
    ActionRun virtualRun(1, false, ActivationKind::VirtualInstrument);
    virtualRun.Rig.tick();
    EXPECT_EQ(virtualRun.Rig.sent(), "hk");
}

TEST(HotKeyActions, SignalActionsActOnThePortRunningOrSuspended) {
    const std::vector<std::pair<int, std::vector<std::string>>> cases{
        {2, {"break on"}}, {3, {"dtr off", "dtr on"}}, {6, {"dtr on"}}, {7, {"dtr off"}}, {8, {"rts on"}},
        {9, {"rts off"}}};
    for (const bool suspended : {false, true})
        for (const auto& [action, calls] : cases)
            EXPECT_EQ(ActionRun(action, suspended).Rig.lineCalls(), calls) << "action " << action;
}

TEST(HotKeyActions, SignalActionsAreIgnoredForTheVirtualDevice) {
    for (const int action : {2, 3, 6, 7, 8, 9}) {
        ActionRun run(action, false, ActivationKind::VirtualInstrument);
        EXPECT_EQ(run.Rig.Engine.state().BreakTicks, 0) << "action " << action;
        EXPECT_TRUE(run.Rig.lineCalls().empty()) << "action " << action;
    }
}

TEST(HotKeyActions, TimerActionsSwitchTheTimedOutputInEveryState) {
    for (const auto activation : {ActivationKind::Normal, ActivationKind::VirtualInstrument}) {
        ActionRun on(4, true, activation);
        EXPECT_TRUE(on.Rig.Output.timedOutputEnabled());
        EXPECT_EQ(on.Rig.View.MenuCaptions[EngineMenu::TOutCtrl], "Disable &Timed Output");
        on.Rig.Output.KbdHook(0);
        EXPECT_TRUE(on.Rig.Output.timedOutputEnabled()) << "enable is not a toggle";

        Configuration config = withHotKey(0, 5);
        config.TimerInterval = 1000;
        config.TimerFlags = 1 | kTimerActionString;
        SerialOutputRig off(config, activation);
        off.load();
        off.Output.KbdHook(0);
        EXPECT_FALSE(off.Output.timedOutputEnabled());
        EXPECT_EQ(off.View.MenuCaptions[EngineMenu::TOutCtrl], "Enable &Timed Output");
    }
}

TEST(HotKeyActions, ResetRestartsNumberingAndResumesInEveryState) {
    for (const auto activation : {ActivationKind::Normal, ActivationKind::VirtualInstrument}) {
        for (const bool suspended : {false, true}) {
            Configuration config = withHotKey(0, 10);
            SerialOutputRig rig(config, activation);
            rig.load();
            rig.send("a\r").tick();
            ASSERT_EQ(rig.View.RecordNumber, "1");
            rig.send("partial");
            if (suspended)
                rig.Engine.SuspendMenu_Click();
            rig.Output.KbdHook(0);
            EXPECT_EQ(rig.View.RecordNumber, "");
            EXPECT_FALSE(rig.Engine.state().Suspended);
            EXPECT_EQ(rig.Device.callsOf("purge").size(), activation == ActivationKind::Normal ? 1U : 0U);
        }
    }
}

TEST(HotKeyActions, SuspendEnableAndOneRecordOnlyMoveTheEngineOneWay) {
    for (const auto activation : {ActivationKind::Normal, ActivationKind::VirtualInstrument}) {
        EXPECT_TRUE(ActionRun(11, false, activation).Rig.Engine.state().Suspended);
        EXPECT_TRUE(ActionRun(11, true, activation).Rig.Engine.state().Suspended)
            << "suspend is not a toggle";
        EXPECT_FALSE(ActionRun(12, true, activation).Rig.Engine.state().Suspended);
        EXPECT_FALSE(ActionRun(12, false, activation).Rig.Engine.state().Suspended)
            << "enable is not a toggle";

        ActionRun running(13, false, activation);
        EXPECT_FALSE(running.Rig.Engine.state().OneRecordOnly);
        EXPECT_FALSE(running.Rig.Engine.state().Suspended);

        ActionRun once(13, true, activation);
        once.Rig.send("a\rb\r").tick();
        EXPECT_EQ(once.Rig.View.RecordNumber, "1") << "one record, then suspended again";
        EXPECT_TRUE(once.Rig.Engine.state().Suspended);
    }
}

TEST(HotKeyActions, NoneAndUnknownCodesAndIdentifiersDoNothing) {
    for (const int action : {0, 14, -1, 255}) {
        ActionRun run(action);
        run.Rig.tick(2);
        EXPECT_EQ(run.Rig.sent(), "") << "action " << action;
        EXPECT_TRUE(run.Rig.lineCalls().empty()) << "action " << action;
        EXPECT_FALSE(run.Rig.Engine.state().Suspended) << "action " << action;
    }
    ActionRun run(1);
    run.Rig.Output.KbdHook(-1);
    run.Rig.Output.KbdHook(50);
    run.Rig.tick();
    EXPECT_EQ(run.Rig.sent(), "hk");
}

} // namespace
} // namespace quorvane::test
