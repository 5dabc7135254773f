// The timed output: its period against the 50 ms tick, the choice of action, catching up after a
// stall, the restart of the interval on resume, reset and {TIMERINTERVAL=}, the tick count's wrap,
// how long a host may sleep until it is due, and the TOutCtrl menu entry. The engine's own tick
// order is covered by the engine tests.

#include "engine/output/SerialOutputRig.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace quorvane::test {
namespace {

Configuration timedConfig(std::int32_t interval, std::int16_t flags, std::string text = "T") {
    Configuration config = engineTestConfig();
    config.TimerInterval = interval;
    config.TimerFlags = flags;
    config.TimerString = std::move(text);
    return config;
}

std::size_t count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::ranges::count(text, c));
}

TEST(TimedOutput, EverySecondStartingOneIntervalAfterItWasEnabled) {
    SerialOutputRig rig(timedConfig(1000, 1 | kTimerActionString));
    rig.load().tick(); // the first interval starts with this tick
    rig.tick(19);
    EXPECT_EQ(rig.sent(), "");
    rig.tick();
    EXPECT_EQ(rig.sent(), "T");
    rig.tick(19);
    EXPECT_EQ(rig.sent(), "T");
    rig.tick();
    EXPECT_EQ(rig.sent(), "TT");
}

TEST(TimedOutput, IntervalShorterThanTheTickFiresOncePerTick) {
    SerialOutputRig rig(timedConfig(10, 1 | kTimerActionString));
    rig.load().tick();
    rig.tick(8);
    EXPECT_EQ(rig.sent(), "TTTTTTTT");
}

TEST(TimedOutput, DtrPulseWinsOverBreakAndBreakOverTheString) {
    SerialOutputRig both(timedConfig(100, 1 | kTimerActionDtr | kTimerActionBreak));
    both.load().tick(3);
    EXPECT_EQ(both.lineCalls(), (std::vector<std::string>{"dtr off", "dtr on"}));
    EXPECT_EQ(both.sent(), "");

    SerialOutputRig brk(timedConfig(100, 1 | kTimerActionBreak | kTimerActionString));
    brk.load().tick(3);
    EXPECT_EQ(brk.lineCalls(), (std::vector<std::string>{"break on"}));
    EXPECT_EQ(brk.sent(), "");
}

TEST(TimedOutput, StallIsCaughtUpOneActionPerTick) {
    SerialOutputRig rig(timedConfig(100, 1 | kTimerActionString));
    rig.load().tick();
    rig.Clock.advance(1000); // the thread was held up for a second
    rig.tick();
    EXPECT_EQ(rig.sent(), "T");
    for (int i = 0; i < 5; ++i)
        rig.tick();
    EXPECT_EQ(rig.sent(), "TTTTTT");
}

TEST(TimedOutput, ResumeAndResetRestartTheInterval) {
    SerialOutputRig rig(timedConfig(1000, 1 | kTimerActionString));
    rig.load().tick(15);
    rig.Engine.SuspendMenu_Click();
    rig.tick(2); // the timed output runs while suspended too
    rig.Engine.SuspendMenu_Click();
    rig.tick(20);
    EXPECT_EQ(rig.sent(), "") << "the interval must count from the resumption";
    rig.tick();
    EXPECT_EQ(rig.sent(), "T");

    rig.tick(15);
    rig.Engine.MReset_Click();
    rig.tick(20);
    EXPECT_EQ(rig.sent(), "T") << "the interval must count from the reset";
    rig.tick();
    EXPECT_EQ(rig.sent(), "TT");
}

TEST(TimedOutput, KeepsItsPeriodAcrossTheSignedAndUnsignedWrapOfTheTickCount) {
    for (const std::uint32_t start : {0x7FFFF000U, 0xFFFFF000U}) {
        SerialOutputRig rig(timedConfig(1000, 1 | kTimerActionString));
        rig.Clock.Ticks = start;
        rig.load().tick();
        rig.tick(200); // 10 s across the wrap
        // A restart of the interval at the signed wrap may cost one period, never the output.
        EXPECT_GE(count(rig.sent(), 'T'), 9U) << std::hex << start;
        EXPECT_LE(count(rig.sent(), 'T'), 10U) << std::hex << start;
        const std::size_t before = rig.sent().size();
        rig.tick(40);
        EXPECT_EQ(rig.sent().size(), before + 2) << std::hex << start;
    }
}

TEST(TimedOutput, VirtualDeviceGetsTheStringButNoSignals) {
    SerialOutputRig text(timedConfig(100, 1 | kTimerActionString), ActivationKind::VirtualInstrument);
    text.load().tick(3);
    EXPECT_EQ(text.sent(), "T");

    SerialOutputRig brk(timedConfig(100, 1 | kTimerActionBreak), ActivationKind::VirtualInstrument);
    brk.load().tick(3);
    EXPECT_EQ(brk.Engine.state().BreakTicks, 0);
    EXPECT_EQ(brk.sent(), "");
}

// How long a host may sleep: the time left of the timed output's interval on the fake clock, 0
// while a tick must start or clear the interval or has other work, none while nothing waits.
struct TimedDue {
    const char* Name;
    std::int16_t Flags;
    std::uint32_t Start;
    std::function<void(SerialOutputRig&)> Arrange;
    std::optional<std::uint32_t> Due;
};

const TimedDue kTimedDues[] = {
    {"NotYetStarted", 1 | kTimerActionString, 1000, [](SerialOutputRig&) {}, 0U},
    {"Waiting", 1 | kTimerActionString, 1000, [](SerialOutputRig& rig) { rig.tick().Clock.advance(120); },
     180U},
    {"DueNow", 1 | kTimerActionString, 1000, [](SerialOutputRig& rig) { rig.tick().Clock.advance(300); }, 0U},
    {"Overdue", 1 | kTimerActionString, 1000, [](SerialOutputRig& rig) { rig.tick().Clock.advance(5000); },
     0U},
    {"AcrossTheWrap", 1 | kTimerActionString, 0xFFFFFF00U,
     [](SerialOutputRig& rig) { rig.tick().Clock.advance(0x100); }, 44U},
    {"NextIntervalAfterTheAction", 1 | kTimerActionString, 1000, [](SerialOutputRig& rig) { rig.tick(7); },
     300U},
    {"NeverEnabled", kTimerActionString, 1000, [](SerialOutputRig& rig) { rig.tick(); }, std::nullopt},
    {"DisabledWhileWaiting", 1 | kTimerActionString, 1000,
     [](SerialOutputRig& rig) { rig.tick().Output.TOutCtrl_Click(); }, 0U},
    {"DisabledAndCleared", 1 | kTimerActionString, 1000,
     [](SerialOutputRig& rig) {
         rig.tick().Output.TOutCtrl_Click();
         rig.tick();
     },
     std::nullopt},
    {"WaitingWithOutputQueued", 1 | kTimerActionString, 1000,
     [](SerialOutputRig& rig) {
         rig.tick();
         rig.Engine.QueueOutput("x");
     },
     0U},
    {"WaitingWhileSuspended", 1 | kTimerActionString, 1000,
     [](SerialOutputRig& rig) {
         rig.tick();
         rig.Engine.SuspendMenu_Click();
         rig.tick();
     },
     250U},
};

void PrintTo(const TimedDue& row, std::ostream* out) {
    *out << row.Name;
}

class TimedOutputDue : public ::testing::TestWithParam<TimedDue> {};

TEST_P(TimedOutputDue, IsTheTimeLeftOfTheInterval) {
    SerialOutputRig rig(timedConfig(300, GetParam().Flags));
    rig.Clock.Ticks = GetParam().Start;
    rig.load();
    GetParam().Arrange(rig);
    EXPECT_EQ(rig.Engine.msUntilTickWork(), GetParam().Due);
    EXPECT_EQ(rig.Engine.needsTick(), GetParam().Due == 0U);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimedOutputDue, ::testing::ValuesIn(kTimedDues),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST(TimedOutputMenu, CaptionAtLoadFollowsTheEnableBit) {
    SerialOutputRig enabled(timedConfig(500, 1 | kTimerActionString));
    enabled.load();
    EXPECT_EQ(enabled.View.MenuCaptions[EngineMenu::TOutCtrl], "Disable &Timed Output");
    SerialOutputRig disabled(timedConfig(500, kTimerActionString));
    disabled.load();
    EXPECT_EQ(disabled.View.MenuCaptions[EngineMenu::TOutCtrl], "Enable &Timed Output");
}

TEST(TimedOutputMenu, ClickTogglesTheOutputAndItsCaption) {
    SerialOutputRig rig(timedConfig(200, kTimerActionString));
    rig.load().tick(10);
    EXPECT_EQ(rig.sent(), "");
    rig.Output.TOutCtrl_Click();
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::TOutCtrl], "Disable &Timed Output");
    rig.tick(5);
    EXPECT_EQ(rig.sent(), "T");
    rig.Output.TOutCtrl_Click();
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::TOutCtrl], "Enable &Timed Output");
    rig.tick(10);
    EXPECT_EQ(rig.sent(), "T");
}

TEST(TimedOutputCommands, PositiveIntervalRestartsTheIntervalAndKeepsTheState) {
    SerialOutputRig rig(timedConfig(1000, 1 | kTimerActionString));
    rig.load().tick(15);
    rig.Output.setTimerInterval(100);
    EXPECT_EQ(rig.Config.TimerInterval, 100);
    EXPECT_TRUE(rig.Output.timedOutputEnabled());
    rig.tick(2);
    EXPECT_EQ(rig.sent(), "") << "the interval restarts at the next tick";
    rig.tick();
    EXPECT_EQ(rig.sent(), "T");
    EXPECT_TRUE(rig.Output.TOutCtrl().Enabled);

    rig.Output.setTimerString("");
    rig.Output.setTimerInterval(100);
    EXPECT_FALSE(rig.Output.TOutCtrl().Enabled) << "a string action with no string has nothing to send";
}

TEST(TimedOutputCommands, IntervalOfZeroOrLessSwitchesTheOutputOffAndDisablesTheMenu) {
    SerialOutputRig rig(timedConfig(100, 1 | kTimerActionString));
    rig.load().tick(3);
    rig.Output.setTimerInterval(-5);
    EXPECT_EQ(rig.Config.TimerInterval, 0);
    EXPECT_FALSE(rig.Output.timedOutputEnabled());
    EXPECT_FALSE(rig.Output.TOutCtrl().Enabled);
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::TOutCtrl], "Enable &Timed Output");
    const std::string before = rig.sent();
    rig.tick(10);
    EXPECT_EQ(rig.sent(), before);
}

TEST(TimedOutputCommands, TimerOnWithNoIntervalFiresEveryTickWithTheNewString) {
    SerialOutputRig rig(timedConfig(0, kTimerActionString));
    rig.load();
    rig.Output.setTimerString(std::string("P\0", 2));
    rig.Output.enableTimedOutput();
    rig.tick(4);
    EXPECT_EQ(rig.sent(), std::string("P\0P\0P\0", 6));
}

TEST(TimedOutputMenu, ReloadFollowsTheNewConfiguration) {
    SerialOutputRig rig(timedConfig(0, kTimerActionString));
    rig.load();
    EXPECT_FALSE(rig.View.MenuVisible[EngineMenu::TOutCtrl]);
    rig.Config.TimerInterval = 300;
    rig.Config.TimerFlags = 1 | kTimerActionString;
    rig.Engine.Form_Unload();
    rig.load();
    EXPECT_TRUE(rig.View.MenuVisible[EngineMenu::TOutCtrl]);
    EXPECT_EQ(rig.View.MenuCaptions[EngineMenu::TOutCtrl], "Disable &Timed Output");
}

} // namespace
} // namespace quorvane::test
