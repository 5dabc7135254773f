// The quorvane program on a private X server with a window manager and a private session bus, driven
// from the keyboard as a user would: every dialog and picker the setup window opens is waited for by
// its caption and cancelled, then File > Exit must end the program with status 0 and nothing from a
// sanitizer on standard error (the ASan build runs the same walk against its own program). Where a
// control's place in a dialog's focus order is the dialog's business, the walk tabs until the
// control's access key opens what it should. When a step fails, the screen is saved beside the test
// binary (walk-failed.png).

#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/x11/X11WindowSystem.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <sstream>

// Last: it brings Xlib, whose macros (None, Success, Status...) would clash with the names above.
#include "x11/WindowCapture.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::waitUntil;

class KeyboardUser {
public:
    explicit KeyboardUser(const test::XvfbSession& x) : m_x(x), m_windows(x.display()) {}

    /// Presses keys in xdotool's names, one after the other ("alt+f x").
    bool press(const std::string& keys) {
        std::vector<std::string> args{test::findProgram("xdotool"), "key", "--delay", "200"};
        std::istringstream words(keys);
        for (std::string key; words >> key;)
            args.push_back(key);
        ChildProcess tool(std::move(args), m_x.environment());
        return waitUntil([&] { return !tool.running(); }) && tool.exitStatus() == 0;
    }
    /// True once a window captioned `title` is on the screen.
    bool shows(const std::string& title, std::chrono::milliseconds deadline = 10s) {
        return waitUntil([&] { return visible(title); }, deadline);
    }
    bool gone(const std::string& title) {
        return waitUntil([&] { return !visible(title); });
    }
    /// Presses `keys` and waits for the window `title`.
    bool opens(const std::string& keys, const std::string& title) { return press(keys) && shows(title); }
    /// Cancels the window `title` with Escape and waits until it has gone.
    bool cancels(const std::string& title) { return press("Escape") && gone(title); }
    /// Presses `probe` and then `step` until the probe opens `title`, at most `tries` times.
    bool reaches(const std::string& step, const std::string& probe, const std::string& title,
                 int tries = 14) {
        for (int i = 0; i < tries; ++i)
            if (!press(probe) || shows(title, 700ms) || !press(step))
                return visible(title);
        return false;
    }
    /// Activates the window `title`.
    bool activate(const std::string& title) {
        for (const WindowId w : m_windows.topLevelWindows())
            if (m_windows.windowTitle(w) == title)
                return m_windows.activate(w);
        return false;
    }
    void saveScreen(const QString& path) const {
        test::capture(m_x.display(), DefaultRootWindow(m_x.display())).save(path);
    }

private:
    bool visible(const std::string& title) {
        for (const WindowId w : m_windows.topLevelWindows()) {
            XWindowAttributes a{};
            if (m_windows.windowTitle(w) == title &&
                XGetWindowAttributes(m_x.display(), static_cast<Window>(w), &a) != 0 &&
                a.map_state == IsViewable)
                return true;
        }
        return false;
    }

    const test::XvfbSession& m_x;
    X11WindowSystem m_windows;
};

constexpr const char* kSetup = "Quorvane Setup (Untitled)";
// The window manager keeps Alt+M, Alt+P and Alt+D for itself: the Mode, Port and Define menus are
// reached from the File menu.
const std::string kDefine = "alt+f Right Right Right";
constexpr const char* kRecType = "Start and End Of Record Events";
constexpr const char* kStructure = "Input Record Structure";
constexpr const char* kFieldEditor = "Input Record Definition Editor - Send Keystrokes Mode";
constexpr const char* kChart = "ASCII Chart";
constexpr const char* kKeystroke = "Select Keystroke:";

// Keys from the setup window, and the dialog they must open, for the dialogs without pickers.
struct PlainDialog {
    const char* Keys;
    const char* Title;
};
constexpr PlainDialog kPlainDialogs[] = {
    {"alt+f Right Right Right p", "Quorvane Preferences"},
    {"alt+f Right Right s", "Quorvane Serial Port Settings"},
    {"alt+f Right d", "Target Application DDE Command"},
    {"alt+f Right s", "Send Keystrokes To:"},
    {"alt+h a", "About Quorvane"},
};

TEST(SetupWalkOnXvfb, OpensEveryDialogAndPickerCancelsEachAndExitsWithStatus0) {
    test::XvfbSession x;
    if (!x.ready()) {
        if (x.whyNot().find("not installed") != std::string::npos)
            GTEST_SKIP() << x.whyNot();
        FAIL() << x.whyNot();
    }
    if (test::findProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    test::TempDir dir;
    std::vector<std::string> env = x.environment();
    env.push_back("XDG_CONFIG_HOME=" + dir.path().string());
    ChildProcess program({QUORVANE_BINARY}, env, dir.file("quorvane.out"), dir.file("quorvane.err"));
    ASSERT_TRUE(program.ok());
    const auto errors = [&] { return ReadWholeFile(dir.file("quorvane.err")).value_or(""); };
    KeyboardUser user(x);
    ASSERT_TRUE(user.shows(kSetup)) << errors();
    ASSERT_TRUE(waitUntil([&] { return user.activate(kSetup); })) << errors();

    const auto step = [&](bool done, const char* what) {
        if (!done)
            user.saveScreen(QStringLiteral(WALK_SCREENSHOT));
        return done ? testing::AssertionSuccess() : testing::AssertionFailure() << what << "\n" << errors();
    };
    // The record chain: the keystroke picker from the field editor (loaded with the editor), then the
    // ASCII chart from the start character, then the delimited-record dialog.
    ASSERT_TRUE(step(user.opens(kDefine + " s", kRecType), "RecType"));
    ASSERT_TRUE(step(user.opens("Return", kStructure), "RecStructure"));
    ASSERT_TRUE(step(user.opens("Return", kFieldEditor), "RecDefs"));
    ASSERT_TRUE(step(user.reaches("Tab", "alt+k", kKeystroke), "GetAKey from RecDefs"));
    ASSERT_TRUE(step(user.cancels(kKeystroke), "GetAKey cancelled"));
    ASSERT_TRUE(step(user.cancels(kFieldEditor), "RecDefs cancelled"));

    ASSERT_TRUE(step(user.opens(kDefine + " s", kRecType), "RecType again"));
    ASSERT_TRUE(step(user.opens("Down Down Down alt+a", kChart), "AsciiChart from RecType"));
    ASSERT_TRUE(step(user.cancels(kChart), "AsciiChart cancelled"));
    ASSERT_TRUE(step(user.cancels(kRecType), "RecType cancelled"));

    ASSERT_TRUE(step(user.opens(kDefine + " s", kRecType), "RecType for Delim"));
    ASSERT_TRUE(step(user.opens("Return", kStructure), "RecStructure for Delim"));
    ASSERT_TRUE(step(user.opens("Down Return", "Delimited Record"), "Delim"));
    ASSERT_TRUE(step(user.cancels("Delimited Record"), "Delim cancelled"));

    // The tables: the ASCII chart of the pre-input window, the keystroke picker of the keystroke
    // translations, the chart of the output string editor.
    ASSERT_TRUE(step(user.opens(kDefine + " i", "Pre-Input Character Translations"), "TransTbl pre-input"));
    ASSERT_TRUE(step(user.reaches("Tab", "space", kChart, 3), "AsciiChart from TransTbl"));
    ASSERT_TRUE(step(user.cancels(kChart), "AsciiChart cancelled"));
    ASSERT_TRUE(step(user.cancels("Pre-Input Character Translations"), "TransTbl cancelled"));
    ASSERT_TRUE(
        step(user.opens(kDefine + " t", "Translation Table - Keystroke Mode"), "TransTbl keystrokes"));
    ASSERT_TRUE(step(user.reaches("Tab", "space", kKeystroke, 3), "GetAKey from TransTbl"));
    ASSERT_TRUE(step(user.cancels(kKeystroke), "GetAKey cancelled"));
    ASSERT_TRUE(step(user.cancels("Translation Table - Keystroke Mode"), "TransTbl cancelled"));
    ASSERT_TRUE(step(user.opens(kDefine + " o", "Output String Editor"), "SendStringForm"));
    ASSERT_TRUE(step(user.reaches("Tab", "alt+a", kChart), "AsciiChart from SendStringForm"));
    ASSERT_TRUE(step(user.cancels(kChart), "AsciiChart cancelled"));
    ASSERT_TRUE(step(user.cancels("Output String Editor"), "SendStringForm cancelled"));
    ASSERT_TRUE(step(user.opens(kDefine + " h", "Hot Keys and Hot Key Actions "), "HotKeyFrm"));
    ASSERT_TRUE(step(user.cancels("Hot Keys and Hot Key Actions "), "HotKeyFrm cancelled"));

    for (const PlainDialog& d : kPlainDialogs) {
        ASSERT_TRUE(step(user.opens(d.Keys, d.Title), d.Title));
        ASSERT_TRUE(step(user.cancels(d.Title), d.Title));
    }

    // Choosing the modes changed the configuration: Exit asks to save it first.
    ASSERT_TRUE(step(user.opens("alt+f x", "Quorvane"), "the save prompt"));
    // No, pressed again should the box not have had the focus yet.
    bool ended = false;
    for (int i = 0; i < 5 && !ended; ++i)
        ended = user.press("n") && waitUntil([&] { return !program.running(); }, 2s);
    ASSERT_TRUE(step(ended, "the end of the program"));
    EXPECT_EQ(program.exitStatus(), 0) << errors();
    EXPECT_EQ(errors().find("Sanitizer"), std::string::npos) << errors();
    EXPECT_EQ(errors().find("runtime error"), std::string::npos) << errors();
}

} // namespace
} // namespace quorvane
