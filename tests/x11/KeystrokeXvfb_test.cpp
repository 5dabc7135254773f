// The quorvane program in keystroke mode on a private X server, as a user runs it: records from a
// pseudo-terminal are typed into an xterm found by its title and arrive there exactly; the window
// the user was in is active again afterwards, a minimized target is minimized again, a missing
// target program is reported once per record that tries it, and Caps Lock, also when switched on
// between records, neither changes the text nor stays off. Without a display the records are still
// counted. The title rules and the launch timing are the unit tests' part
// (tests/engine/KeystrokeOutput_test.cpp).

#include "config/ConfigFiles.h"
#include "fakes/KeystrokeConfiguration.h"
#include "fakes/TempDir.h"
#include "platform/x11/X11WindowSystem.h"
#include "serial/PtyPair.h"
#include "x11/XvfbSession.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

// Last: Xlib's macros (None, Success, Status...) would clash with our names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace quorvane {
namespace {

using test::ChildProcess;
using test::waitUntil;

class KeystrokeOnXvfb : public testing::Test {
protected:
    static void SetUpTestSuite() { s_x = new test::XvfbSession(); }
    static void TearDownTestSuite() {
        delete s_x;
        s_x = nullptr;
    }
    void SetUp() override {
        if (!s_x->ready()) {
            if (s_x->whyNot().find("not installed") != std::string::npos)
                GTEST_SKIP() << s_x->whyNot();
            FAIL() << s_x->whyNot();
        }
        m_windows = std::make_unique<X11WindowSystem>(s_x->display());
    }

    /// An xterm titled title whose shell saves what is typed into file; its window once it shows.
    WindowId startTerminal(const std::string& title, const std::string& file) {
        m_terminals.push_back(
            std::make_unique<ChildProcess>(std::vector<std::string>{test::findProgram("xterm"), "-T", title,
                                                                    "-e", "sh", "-c", "cat > '" + file + "'"},
                                           s_x->environment()));
        WindowId found = kNoWindow;
        waitUntil([&] {
            found = findWindow(title);
            return found != kNoWindow && std::filesystem::exists(file);
        });
        return found;
    }
    WindowId findWindow(const std::string& title) {
        for (WindowId w : m_windows->topLevelWindows())
            if (m_windows->windowTitle(w) == title)
                return w;
        return kNoWindow;
    }
    /// The quorvane program on the pty, with the display (or without one).
    void startQuorvane(const std::string& config, bool withDisplay = true) {
        m_quorvane = std::make_unique<ChildProcess>(
            std::vector<std::string>{QUORVANE_BINARY, "--headless", config, "--device", m_pty.slavePath()},
            withDisplay ? s_x->environment() : test::environmentWith("DISPLAY", std::nullopt),
            m_dir.file("stdout.txt"), m_dir.file("stderr.txt"));
        ASSERT_TRUE(waitUntil([&] { return standardError().find("Quorvane - COM1") != std::string::npos; }))
            << standardError();
    }
    std::string standardError() const { return ReadWholeFile(m_dir.file("stderr.txt")).value_or(""); }
    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    /// Waits until file holds `lines` lines; its text.
    std::string linesOf(const std::string& file, std::size_t lines) {
        std::string text;
        waitUntil([&] {
            text = ReadWholeFile(file).value_or("");
            return count(text, "\n") >= lines;
        });
        return text;
    }
    void send(std::string_view bytes) { ASSERT_EQ(m_pty.send(bytes), bytes.size()); }

    static test::XvfbSession* s_x;
    test::TempDir m_dir;
    test::PtyPair m_pty;
    std::unique_ptr<X11WindowSystem> m_windows;
    std::vector<std::unique_ptr<ChildProcess>> m_terminals;
    std::unique_ptr<ChildProcess> m_quorvane;
};

test::XvfbSession* KeystrokeOnXvfb::s_x = nullptr;

TEST_F(KeystrokeOnXvfb, RecordsArriveExactlyInTheTargetAndTheUsersWindowIsActiveAgain) {
    const WindowId target = startTerminal("Target Window", m_dir.file("out.txt"));
    const WindowId other = startTerminal("Other Window", m_dir.file("other.txt"));
    ASSERT_NE(target, kNoWindow);
    ASSERT_TRUE(m_windows->activate(other));
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "target window"));

    send("Ab9+^%~(){}[],xyz,end\r\n");
    send("UPPER lower 0123456789,,\r\n");
    send("!@#$&*_=-;:'\"<>?/\\|`.,2+2,last\r\n");
    const std::string typed = linesOf(m_dir.file("out.txt"), 3);
    EXPECT_EQ(typed, "<Ab9+^%~(){}[]\txyz\tend\n"
                     "<UPPER lower 0123456789\t\t\n"
                     "<!@#$&*_=-;:'\"<>?/\\|`.\t2+2\tlast\n");
    // The foreground goes back just after the last key, which may be after the line shows.
    EXPECT_TRUE(waitUntil([&] { return m_windows->foregroundWindow() == other; }));
    EXPECT_EQ(ReadWholeFile(m_dir.file("other.txt")).value_or("?"), "");
}

TEST_F(KeystrokeOnXvfb, MinimizedTargetIsRestoredTypedIntoAndMinimizedAgain) {
    const WindowId target = startTerminal("Target Window", m_dir.file("out.txt"));
    const WindowId other = startTerminal("Other Window", m_dir.file("other.txt"));
    m_windows->minimize(target);
    ASSERT_TRUE(m_windows->isMinimized(target));
    ASSERT_TRUE(m_windows->activate(other));
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "Target Window"));

    send("one,two,three\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 1), "<one\ttwo\tthree\n");
    EXPECT_TRUE(
        waitUntil([&] { return m_windows->isMinimized(target) && m_windows->foregroundWindow() == other; }));
}

TEST_F(KeystrokeOnXvfb, MissingTargetProgramIsReportedOncePerRecordThatTriesIt) {
    startTerminal("Target Window", m_dir.file("out.txt"));
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "Target Window", "quorvane-missing-program -x"));
    send("first,a,b\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 1), "<first\ta\tb\n");

    m_terminals.clear();
    ASSERT_TRUE(waitUntil([&] { return findWindow("Target Window") == kNoWindow; }));
    send("second,a,b\r\nthird,a,b\r\n");
    const std::string message = "Cannot Run Program: quorvane-missing-program -x\nNo such file or directory";
    EXPECT_TRUE(waitUntil([&] { return count(standardError(), message) == 2; })) << standardError();

    startTerminal("Target Window", m_dir.file("out2.txt"));
    send("fourth,a,b\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out2.txt"), 1), "<fourth\ta\tb\n");
    EXPECT_EQ(count(standardError(), message), 2u) << standardError();
}

TEST_F(KeystrokeOnXvfb, CapsLockLeavesTheTextAsWrittenAndIsOnAgainAfterwards) {
    startTerminal("Target Window", m_dir.file("out.txt"));
    XkbLockModifiers(s_x->display(), XkbUseCoreKbd, LockMask, LockMask);
    XSync(s_x->display(), False);
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "Target Window"));
    send("abc,XYZ,Mixed\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 1), "<abc\tXYZ\tMixed\n");
    // Caps Lock comes back just after the last key, which may be after the line shows.
    EXPECT_TRUE(waitUntil([&] {
        XkbStateRec state{};
        XkbGetState(s_x->display(), XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }));
    XkbLockModifiers(s_x->display(), XkbUseCoreKbd, LockMask, 0);
    XSync(s_x->display(), False);
}

// The program learns of Caps Lock from the server's reports rather than by asking before each
// record: a change the user makes between records must reach it all the same.
TEST_F(KeystrokeOnXvfb, CapsLockSwitchedOnBetweenRecordsIsSeenByTheNextRecord) {
    startTerminal("Target Window", m_dir.file("out.txt"));
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "Target Window", {}, 0));
    send("abc,XYZ,Mixed\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 1), "<abc\tXYZ\tMixed\n");
    XkbLockModifiers(s_x->display(), XkbUseCoreKbd, LockMask, LockMask);
    XSync(s_x->display(), False);
    send("def,UVW,Other\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 2), "<abc\tXYZ\tMixed\n<def\tUVW\tOther\n");
    XkbLockModifiers(s_x->display(), XkbUseCoreKbd, LockMask, 0);
    XSync(s_x->display(), False);
}

TEST_F(KeystrokeOnXvfb, CharactersWithoutAKeyInTheKeymapAreTypedThroughSpareKeycodes) {
    startTerminal("Target Window", m_dir.file("out.txt"));
    // No delay: the keys are sent on without waiting for the server, the fastest the target sees them.
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "Target Window", {}, 0));
    // Windows-1252 bytes: e acute, u umlaut, sharp s, pound, section, y umlaut; none is on a US keymap.
    send("caf\xE9 \xFC\xDF,\xA3\xA7\xFF,\xE9\xE9\r\n");
    EXPECT_EQ(linesOf(m_dir.file("out.txt"), 1),
              "<caf\u00E9 \u00FC\u00DF\t\u00A3\u00A7\u00FF\t\u00E9\u00E9\n");
}

// Needs no X server: only that the program told to type through X says why it cannot, once, and
// goes on counting.
TEST(KeystrokeWithoutDisplay, RecordsAreShownAndCountedAndTheReasonIsGivenOnce) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ChildProcess quorvane({QUORVANE_BINARY, "--headless", test::writeKeystrokeConfiguration(dir, "Target"),
                           "--device", pty.slavePath(), "--keystrokes", "x11"},
                          test::environmentWith("DISPLAY", std::nullopt), dir.file("stdout.txt"),
                          dir.file("stderr.txt"));
    auto err = [&] { return ReadWholeFile(dir.file("stderr.txt")).value_or(""); };
    ASSERT_TRUE(waitUntil([&] { return err().find("Quorvane - COM1") != std::string::npos; })) << err();
    const std::string records = "a,b,c\r\nd,e,f\r\n";
    ASSERT_EQ(pty.send(records), records.size());
    EXPECT_TRUE(waitUntil([&] {
        return ReadWholeFile(dir.file("stdout.txt")).value_or("").find("#2 ") != std::string::npos;
    })) << ReadWholeFile(dir.file("stdout.txt")).value_or("");
    const std::string message =
        "Keystroke output needs an X11 display (DISPLAY is not set); records are shown but not typed.";
    std::size_t n = 0;
    const std::string text = err();
    for (auto at = text.find(message); at != std::string::npos; at = text.find(message, at + 1))
        ++n;
    EXPECT_EQ(n, 1u) << text;
}

} // namespace
} // namespace quorvane
