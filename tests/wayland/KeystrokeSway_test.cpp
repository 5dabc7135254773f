// The quorvane program in keystroke mode on a private headless sway, as a user runs it: records
// from a pseudo-terminal are typed through the virtual keyboard into wev, which reports each key's
// text, and arrive exactly, from the first character on, whatever the layout sway gives its
// keyboards and whatever Caps Lock the user's keyboard has; a target named by title is activated
// and the user's window is active again afterwards; a compositor that goes away is said once and
// typed into again once it is back. The keymap's character coverage is
// VirtualKeymap_test's part.

#include "config/CodePage.h"
#include "fakes/KeystrokeConfiguration.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "serial/PtyPair.h"
#include "wayland/SwaySession.h"

#include <gtest/gtest.h>
#include <memory>

namespace quorvane {
namespace {

using test::ChildProcess;
using test::waitUntil;

class KeystrokeOnSway : public testing::Test {
protected:
    static void SetUpTestSuite() { s_sway = new test::SwaySession("de"); }
    static void TearDownTestSuite() {
        delete s_sway;
        s_sway = nullptr;
    }
    void SetUp() override {
        if (!s_sway->whyNot().empty()) {
            if (s_sway->notInstalled())
                GTEST_SKIP() << s_sway->whyNot();
            FAIL() << s_sway->whyNot();
        }
        if (test::findProgram("wev").empty())
            GTEST_SKIP() << "wev is not installed (package list: scripts/debian-packages.txt)";
        m_connection = std::make_unique<WaylandConnection>(display().c_str());
        ASSERT_TRUE(m_connection->ok()) << m_connection->problem();
        m_windows = std::make_unique<WaylandWindowSystem>(*m_connection);
        ASSERT_TRUE(m_windows->available());
    }

    static std::string display() { return s_sway->socketPath(); }
    /// wev, whose window is titled "wev", logging keys to a file; it has the focus once shown.
    void startWev(const std::string& log = "wev.log") {
        m_wevLog = m_dir.file(log);
        m_wev = std::make_unique<ChildProcess>(std::vector<std::string>{test::findProgram("stdbuf"), "-oL",
                                                                        test::findProgram("wev"), "-f",
                                                                        "wl_keyboard"},
                                               s_sway->environment(), m_wevLog);
        ASSERT_TRUE(waitUntil([&] { return windowTitled("wev") != kNoWindow; }));
        ASSERT_TRUE(waitUntil([&] { return m_windows->foregroundWindow() == windowTitled("wev"); }));
    }
    WindowId windowTitled(const std::string& title) {
        for (WindowId w : m_windows->topLevelWindows())
            if (m_windows->windowTitle(w) == title)
                return w;
        return kNoWindow;
    }
    void startQuorvane(const std::string& config) {
        m_quorvane = std::make_unique<ChildProcess>(
            std::vector<std::string>{QUORVANE_BINARY, "--headless", config, "--device", m_pty.slavePath()},
            s_sway->environment(), m_dir.file("stdout.txt"), m_dir.file("stderr.txt"));
        ASSERT_TRUE(waitUntil([&] { return standardError().find("Quorvane - COM1") != std::string::npos; }))
            << standardError();
    }
    std::string standardError() const { return ReadWholeFile(m_dir.file("stderr.txt")).value_or(""); }
    void send(std::string_view bytes) { ASSERT_EQ(m_pty.send(bytes), bytes.size()); }
    /// Waits until wev has seen `lines` line ends; the text typed into it.
    std::string typedLines(std::size_t lines) {
        std::string text;
        waitUntil([&] {
            text = test::textTypedIntoWev(ReadWholeFile(m_wevLog).value_or(""));
            return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines;
        });
        return text;
    }

    static test::SwaySession* s_sway;
    test::TempDir m_dir;
    test::PtyPair m_pty;
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<WaylandWindowSystem> m_windows;
    std::string m_wevLog;
    std::unique_ptr<ChildProcess> m_wev;
    std::unique_ptr<ChildProcess> m_quorvane;
};

test::SwaySession* KeystrokeOnSway::s_sway = nullptr;

TEST_F(KeystrokeOnSway, RecordsArriveExactlyFromTheFirstCharacterWhateverTheLayout) {
    startWev();
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, ""));
    // On the German layout sway gives keyboards, y and z, and most punctuation, sit elsewhere.
    send("Ab9+^%~(){}[],xyz YZ,end\r\n");
    send("!@#$&*_=-;:'\"<>?/\\|`.,2+2,last\r\n");
    send("\xE4\xF6\xFC\xDF\xC4\xD6\xDC \xB5 \xE9\xC9 \xA7\xB0,\xBD\xBF,\xFF\xA9\r\n");
    const std::string typed = typedLines(3);
    EXPECT_EQ(typed,
              "<Ab9+^%~(){}[]\txyz YZ\tend\n"
              "<!@#$&*_=-;:'\"<>?/\\|`.\t2+2\tlast\n" +
                  BytesToUtf8("<\xE4\xF6\xFC\xDF\xC4\xD6\xDC \xB5 \xE9\xC9 \xA7\xB0\t\xBD\xBF\t\xFF\xA9\n"));
}

TEST_F(KeystrokeOnSway, TheUsersCapsLockChangesNeitherTheTextNorStaysOff) {
    startWev();
    // The user's own keyboard, with Caps Lock on.
    VirtualKeymap keymap;
    WaylandConnection user(display().c_str());
    WaylandKeyboardInjector userKeyboard(user, keymap);
    ASSERT_TRUE(userKeyboard.ok());
    userKeyboard.setCapsLock(true);
    userKeyboard.sendKey('A', true);
    userKeyboard.sendKey('A', false);
    userKeyboard.sync();
    ASSERT_TRUE(user.roundtrip());

    startQuorvane(test::writeKeystrokeConfiguration(m_dir, ""));
    send("Caps,lock,Off\r\n");
    ASSERT_EQ(typedLines(1), "A<Caps\tlock\tOff\n") << ReadWholeFile(m_wevLog).value_or("");

    // Caps Lock still holds for the user's keyboard afterwards.
    userKeyboard.sendKey('B', true);
    userKeyboard.sendKey('B', false);
    userKeyboard.restoreModifiers();
    EXPECT_TRUE(waitUntil([&] {
        return test::textTypedIntoWev(ReadWholeFile(m_wevLog).value_or("")) == "A<Caps\tlock\tOff\nB";
    }));
}

TEST_F(KeystrokeOnSway, TheTargetIsActivatedByTitleAndTheUsersWindowIsActiveAgain) {
    if (test::findProgram("foot").empty())
        GTEST_SKIP() << "foot is not installed (package list: scripts/debian-packages.txt)";
    startWev();
    ChildProcess other({test::findProgram("foot"), "-T", "Other Window", "sh", "-c", "cat > /dev/null"},
                       s_sway->environment());
    ASSERT_TRUE(waitUntil([&] { return windowTitled("Other Window") != kNoWindow; }));
    const WindowId otherWindow = windowTitled("Other Window");
    ASSERT_TRUE(m_windows->activate(otherWindow));

    startQuorvane(test::writeKeystrokeConfiguration(m_dir, "  WEV "));
    send("to,the,target\r\n");
    EXPECT_EQ(typedLines(1), "<to\tthe\ttarget\n");
    EXPECT_TRUE(waitUntil([&] { return m_windows->foregroundWindow() == otherWindow; }));
}

// A session of its own: this one ends its compositor.
class KeystrokeOnRestartedSway : public KeystrokeOnSway {
protected:
    static void SetUpTestSuite() { s_sway = new test::SwaySession(); }
};

TEST_F(KeystrokeOnRestartedSway, TheCompositorGoingAwayIsSaidOnceAndTypingGoesOnWhenItIsBack) {
    startWev();
    startQuorvane(test::writeKeystrokeConfiguration(m_dir, ""));
    send("one,before,loss\r\n");
    ASSERT_EQ(typedLines(1), "<one\tbefore\tloss\n");

    m_windows.reset();
    m_connection.reset();
    m_wev.reset();
    s_sway->stop();
    ASSERT_TRUE(waitUntil([&] { return standardError().find("compositor was lost") != std::string::npos; }))
        << standardError();
    send("while,it,is gone\r\n");
    ASSERT_TRUE(s_sway->restart()) << s_sway->whyNot();
    ASSERT_TRUE(waitUntil([&] { return standardError().find("compositor is back") != std::string::npos; }))
        << standardError();

    m_connection = std::make_unique<WaylandConnection>(display().c_str());
    m_windows = std::make_unique<WaylandWindowSystem>(*m_connection);
    startWev("wev-after.log");
    send("two,when,back\r\n");
    EXPECT_EQ(typedLines(1), "<two\twhen\tback\n");
    EXPECT_TRUE(m_quorvane->running());
    const std::string err = standardError();
    EXPECT_EQ(err.find("compositor was lost"), err.rfind("compositor was lost"));
}

} // namespace
} // namespace quorvane
