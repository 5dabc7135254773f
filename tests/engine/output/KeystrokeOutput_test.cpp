// Keystroke output against a fake desktop: which window the target title finds, how the target is
// activated, restored and minimized again, when a record is typed and where, and the launch of the
// target program with its failures. The macro language itself is covered by the keys tests; the
// real X display by tests/x11.

#include "engine/output/KeystrokeOutput.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeKeyboard.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeWindowSystem.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FakeWindowSystem;

// Notes the foreground window whenever typing starts, so a test can tell where a record went.
class FocusNotingKeyboard final : public KeyboardInjector {
public:
    FocusNotingKeyboard(test::FakeKeyboard& keys, FakeWindowSystem& windows)
        : m_keys(keys), m_windows(windows) {}
    void sendKey(std::uint16_t virtualKey, bool down) override { m_keys.sendKey(virtualKey, down); }
    void sync() override { m_keys.sync(); }
    void saveModifiers() override {
        TypedInto.push_back(m_windows.Foreground);
        m_keys.saveModifiers();
    }
    void clearModifiers() override { m_keys.clearModifiers(); }
    void restoreModifiers() override { m_keys.restoreModifiers(); }
    bool capsLock() const override { return m_keys.capsLock(); }
    void setCapsLock(bool on) override { m_keys.setCapsLock(on); }

    std::vector<WindowId> TypedInto;

private:
    test::FakeKeyboard& m_keys;
    FakeWindowSystem& m_windows;
};

struct KeystrokeRig {
    KeystrokeRig() {
        ResetConfiguration(Config);
        Config.OutputMode = 0;
        Config.FieldCount = 1;
        Config.KeystrokeDelay = 0;
        Config.ActivateTargetApp = kTrue;
        Output.setRecordNumber(RecordNumber);
    }

    /// Delivers one record whose only field holds text (already translated macro text).
    void deliver(const std::string& text) {
        FieldSlots slots = InitialFieldSlots();
        slots[1] = text;
        Output.deliverRecord(slots, 1);
    }

    Configuration Config;
    std::string CommandLine;
    std::int64_t RecordNumber = 0;
    FakeWindowSystem Windows;
    test::FakeProgramLauncher Launcher;
    test::FakePrompts Prompts;
    test::FakeClock Clock;
    test::FakeKeyboard Keys;
    test::UsKeyLayout Layout;
    FocusNotingKeyboard Keyboard{Keys, Windows};
    /// What the desktop does while the host's event loop runs.
    std::function<void()> DuringWait;
    int Waits = 0;
    KeystrokeOutput Output{Config, CommandLine,
                           KeystrokeServices{Windows, Launcher, Prompts,
                                             KeyTypingHost{Keyboard, Layout, Clock, [this](int ms) {
                                                               ++Waits;
                                                               Clock.advance(static_cast<std::uint32_t>(ms));
                                                               Clock.Now.Second = static_cast<int>(
                                                                   (Clock.Ticks / 1000) % 60);
                                                               if (DuringWait)
                                                                   DuringWait();
                                                           }}}};
};

TEST(FindAndActivateTarget, LowerCaseTitleMatchesAnywhereInAMixedCaseTitleAndBecomesTheUpperCaseTitle) {
    KeystrokeRig rig;
    rig.Windows.addWindow("Editor");
    const WindowId sheet = rig.Windows.addWindow("Balance Log - Data Sheet");
    rig.Windows.addWindow("Mail");
    EXPECT_EQ(rig.Output.FindAndActivateTarget("  data SHEET "), sheet);
    EXPECT_EQ(rig.Windows.Foreground, sheet);
    EXPECT_EQ(rig.Output.targetAppTitle(), "DATA SHEET");
    EXPECT_FALSE(rig.Output.targetWasRestored());
}

TEST(FindAndActivateTarget, TopWindowThatHasTheFocusIsNotActivatedAgain) {
    KeystrokeRig rig;
    const WindowId target = rig.Windows.addWindow("Target Window");
    rig.Windows.Foreground = target;
    EXPECT_EQ(rig.Output.FindAndActivateTarget("target"), target);
    EXPECT_TRUE(rig.Windows.Log.empty());
}

TEST(FindAndActivateTarget, TopWindowWithoutTheFocusIsActivated) {
    KeystrokeRig rig;
    const WindowId other = rig.Windows.addWindow("Other");
    const WindowId target = rig.Windows.addWindow("Target Window");
    rig.Windows.Foreground = other;
    EXPECT_EQ(rig.Output.FindAndActivateTarget("target"), target);
    EXPECT_EQ(rig.Windows.Foreground, target);
}

TEST(FindAndActivateTarget, MinimizedTargetIsRestoredAndSaysSo) {
    KeystrokeRig rig;
    const WindowId target = rig.Windows.addWindow("Target Window", true);
    rig.Windows.Foreground = rig.Windows.addWindow("Other");
    EXPECT_EQ(rig.Output.FindAndActivateTarget("Target"), target);
    EXPECT_TRUE(rig.Output.targetWasRestored());
    EXPECT_FALSE(rig.Windows.Windows[target].Minimized);
    EXPECT_EQ(rig.Windows.Foreground, target);
}

TEST(FindAndActivateTarget, TargetThatRefusesActivationIsStillReturnedButNotRestored) {
    KeystrokeRig rig;
    const WindowId target = rig.Windows.addWindow("Target Window", true);
    rig.Windows.Windows[target].RefusesActivation = true;
    EXPECT_EQ(rig.Output.FindAndActivateTarget("Target"), target);
    EXPECT_FALSE(rig.Output.targetWasRestored());
    EXPECT_TRUE(rig.Windows.Windows[target].Minimized);
}

TEST(FindAndActivateTarget, NoMatchingWindowAndBlankTitlesFindNothing) {
    KeystrokeRig rig;
    rig.Windows.addWindow("Editor");
    EXPECT_EQ(rig.Output.FindAndActivateTarget("Target"), kNoWindow);
    EXPECT_EQ(rig.Output.FindAndActivateTarget(""), kNoWindow);
    // Trimmed to nothing, a title would be contained in every window's title.
    EXPECT_EQ(rig.Output.FindAndActivateTarget("   "), kNoWindow);
}

TEST(DeliverKeystrokes, RecordIsTypedIntoTheTargetAndThePreviousWindowIsActiveAgain) {
    KeystrokeRig rig;
    const WindowId target = rig.Windows.addWindow("Target Window");
    const WindowId user = rig.Windows.addWindow("Spreadsheet");
    rig.Windows.Foreground = user;
    rig.Config.TargetAppTitle = "target window";
    rig.Config.RecordPreamble = "<";
    rig.Config.FieldPostamble[1] = "{TAB}";
    rig.deliver("Ab9{+}~");
    EXPECT_EQ(rig.Keys.Typed, "<Ab9+\r\t");
    EXPECT_EQ(rig.Keyboard.TypedInto, std::vector<WindowId>{target});
    EXPECT_EQ(rig.Windows.Foreground, user);
}

TEST(DeliverKeystrokes, MinimizedTargetIsRestoredTypedIntoAndMinimizedAgain) {
    KeystrokeRig rig;
    const WindowId target = rig.Windows.addWindow("Target Window", true);
    const WindowId user = rig.Windows.addWindow("Spreadsheet");
    rig.Windows.Foreground = user;
    rig.Config.TargetAppTitle = "Target";
    rig.deliver("1");
    EXPECT_EQ(rig.Keyboard.TypedInto, std::vector<WindowId>{target});
    EXPECT_TRUE(rig.Windows.Windows[target].Minimized);
    EXPECT_EQ(rig.Windows.Foreground, user);
    const std::vector<std::string> order{"activate 101", "restore 101", "minimize 101", "activate 102"};
    EXPECT_EQ(rig.Windows.Log, order);
}

TEST(DeliverKeystrokes, WithoutATargetTheRecordGoesToTheForegroundUnlessThatIsOneOfQuorvanesWindows) {
    KeystrokeRig rig;
    rig.Config.ActivateTargetApp = kFalse;
    // The runtime window, and the virtual device window whose Send button Enter would press again.
    const WindowId runtime = rig.Windows.addWindow("Quorvane - COM1");
    const WindowId device = rig.Windows.addWindow("Quorvane - Virtual Serial Device");
    const WindowId user = rig.Windows.addWindow("Editor");
    rig.Output.setOwnWindows([&](WindowId w) { return w == runtime || w == device; });
    for (const WindowId own : {runtime, device}) {
        rig.Windows.Foreground = own;
        rig.deliver("skipped~");
        EXPECT_EQ(rig.Keys.Typed, "") << own;
    }
    rig.Windows.Foreground = user;
    rig.deliver("typed");
    EXPECT_EQ(rig.Keys.Typed, "typed");
    EXPECT_TRUE(rig.Windows.Log.empty()) << "nothing is activated without a target";
}

TEST(DeliverKeystrokes, ATargetThatIsOneOfQuorvanesWindowsIsNotTypedInto) {
    KeystrokeRig rig;
    const WindowId device = rig.Windows.addWindow("Quorvane - Virtual Serial Device");
    rig.Windows.Foreground = rig.Windows.addWindow("Editor");
    rig.Config.TargetAppTitle = "Virtual Serial";
    rig.Output.setOwnWindows([&](WindowId w) { return w == device; });
    rig.deliver("skipped");
    EXPECT_EQ(rig.Keys.Typed, "");
}

TEST(DeliverKeystrokes, LaunchedProgramIsTypedIntoAndFoundByItsRealTitleLater) {
    KeystrokeRig rig;
    rig.Config.TargetAppTitle = "Balance";
    rig.CommandLine = "xterm -T Terminal";
    rig.Windows.Foreground = rig.Windows.addWindow("Editor");
    WindowId launched = kNoWindow;
    rig.Launcher.OnStart = [&](std::string_view) {
        rig.DuringWait = [&] {
            // The window appears and takes the focus a while after the start.
            if (launched == kNoWindow && rig.Clock.Ticks >= 300) {
                launched = rig.Windows.addWindow("Terminal");
                rig.Windows.Foreground = launched;
            }
        };
        return LaunchResult{4242, {}};
    };
    rig.deliver("one~");
    ASSERT_NE(launched, kNoWindow);
    EXPECT_EQ(rig.Keyboard.TypedInto, std::vector<WindowId>{launched});
    EXPECT_GE(rig.Clock.Ticks, 1000u) << "a second of the date/time clock passes after the window shows";
    EXPECT_EQ(rig.Output.targetAppTitle(), "TERMINAL");
    EXPECT_EQ(rig.Windows.Foreground, launched) << "the launched program keeps the foreground";

    rig.Windows.Foreground = rig.Windows.addWindow("Editor 2");
    rig.deliver("two~");
    EXPECT_EQ(rig.Launcher.Started.size(), 1u);
    EXPECT_EQ(rig.Keys.Typed, "one\rtwo\r");
    EXPECT_EQ(rig.Keyboard.TypedInto, (std::vector<WindowId>{launched, launched}));
}

TEST(DeliverKeystrokes, FailedLaunchIsReportedForEachRecordThatTriesAndOnlyThoseAreNotTyped) {
    KeystrokeRig rig;
    rig.Config.TargetAppTitle = "Target";
    rig.CommandLine = "no-such-program --flag";
    rig.deliver("first");
    const WindowId target = rig.Windows.addWindow("Target Window");
    rig.deliver("second");
    rig.Windows.removeWindow(target);
    rig.deliver("third");

    EXPECT_EQ(rig.Keys.Typed, "second");
    ASSERT_EQ(rig.Prompts.Messages.size(), 2u);
    EXPECT_EQ(rig.Prompts.Messages[0].Text,
              "Cannot Run Program: no-such-program --flag\rNo such file or directory");
    EXPECT_EQ(rig.Prompts.Messages[0].Title, "Quorvane Error");
    EXPECT_EQ(rig.Prompts.Messages[0].Icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig.Prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(rig.Launcher.Started.size(), 2u);
}

TEST(DeliverKeystrokes, LaunchedProgramThatNeverTakesTheForegroundEndsTheWaitAfterThirtySeconds) {
    KeystrokeRig rig;
    rig.Config.TargetAppTitle = "Target";
    rig.CommandLine = "daemon";
    rig.Launcher.OnStart = [](std::string_view) { return LaunchResult{77, {}}; };
    rig.deliver("lost");
    EXPECT_EQ(rig.Keys.Typed, "");
    EXPECT_GE(rig.Clock.Ticks, kLaunchWaitLimitMs);
    EXPECT_LT(rig.Clock.Ticks, kLaunchWaitLimitMs + 100);
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_NE(rig.Prompts.Messages[0].Text.find("did not come to the foreground"), std::string::npos);
}

TEST(DeliverKeystrokes, RecordBeyondOneMacrosItemLimitIsTypedWhole) {
    KeystrokeRig rig;
    rig.Config.ActivateTargetApp = kFalse;
    rig.Windows.Foreground = rig.Windows.addWindow("Editor");
    // Three items per capital letter make three macros' worth; the Shift group, one macro's worth
    // alone, must not be cut.
    rig.deliver(std::string(kMaxKeyItems, 'Q') + "+(" + std::string(kMaxKeyItems - 2, 'a') + ")z");
    EXPECT_EQ(rig.Keys.Typed, std::string(kMaxKeyItems, 'Q') + std::string(kMaxKeyItems - 2, 'A') + "z");
    EXPECT_TRUE(rig.Prompts.Messages.empty());
}

TEST(DeliverKeystrokes, MacroErrorsAreReportedOnceWithTheRecordAndCountedForTheEndOfTheRun) {
    KeystrokeRig rig;
    rig.Config.ActivateTargetApp = kFalse;
    rig.Windows.Foreground = rig.Windows.addWindow("Editor");
    const std::vector<std::string> records{"{DAY}", "fine", "{LEFT 0}", "{NOKEY}"};
    for (const std::string& record : records) {
        ++rig.RecordNumber;
        rig.deliver(record);
    }
    EXPECT_EQ(rig.Keys.Typed, "fine");
    EXPECT_EQ(rig.Output.macroErrorRecords(), 3);
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(
        rig.Prompts.Messages[0].Text.rfind("Record 1 was not typed: its keystroke macro has error 2 ", 0), 0u)
        << rig.Prompts.Messages[0].Text;

    rig.Output.reportMacroErrorRecords();
    ASSERT_EQ(rig.Prompts.Messages.size(), 2u);
    EXPECT_EQ(rig.Prompts.Messages[1].Text, "3 records were not typed because of keystroke macro errors.");
}

TEST(DeliverKeystrokes, RecordWithACharacterNoKeyTypesIsNotTypedButReportedAndCounted) {
    KeystrokeRig rig;
    rig.Config.ActivateTargetApp = kFalse;
    rig.Windows.Foreground = rig.Windows.addWindow("Editor");
    for (const std::string record : {"caf\xE9", "tea", "na\xEFve"}) {
        ++rig.RecordNumber;
        rig.deliver(record);
    }
    EXPECT_EQ(rig.Keys.Typed, "tea");
    EXPECT_EQ(rig.Output.macroErrorRecords(), 2);
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(
        rig.Prompts.Messages[0].Text.rfind("Record 1 was not typed: it holds the character \"\u00E9\", which "
                                           "no key of the keyboard layout types. ",
                                           0),
        0u)
        << rig.Prompts.Messages[0].Text;
}

TEST(DeliverKeystrokes, ReloadedConfigurationTitleReplacesTheRunsTitle) {
    KeystrokeRig rig;
    rig.Config.TargetAppTitle = " first ";
    rig.deliver("x");
    EXPECT_EQ(rig.Output.targetAppTitle(), "FIRST");
    rig.Config.TargetAppTitle = "second";
    EXPECT_EQ(rig.Output.targetAppTitle(), "second");
}

} // namespace
} // namespace quorvane
