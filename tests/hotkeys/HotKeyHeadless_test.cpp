// The quorvane program run headless on a pseudo-terminal under Xvfb: a hot key's string reaches
// the device, with Num Lock on too; a key another client holds leaves the program running without
// it; the acknowledgement follows every record, void ones included; without a display the timed
// output still runs; an X server that goes away and comes back on the same display number; no
// connection to X where nothing needs one.

#include "XvfbServer.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "serial/PtyPair.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>

namespace quorvane::test {
namespace {

constexpr std::int16_t kCtrlShift = 3 * 256;
constexpr int kF5 = 0x74;
constexpr int kF6 = 0x75;
constexpr int kF7 = 0x76;

class HeadlessQuorvane {
public:
    /// Starts the program on the pty with DISPLAY set to `display`, or unset when it is empty, and
    /// the environment changed further by `env` as spawnProgram does.
    HeadlessQuorvane(const TempDir& dir, const std::string& config, const PtyPair& pty,
                     const std::string& display, std::vector<std::string> env = {})
        : m_err(dir.file("stderr.txt")) {
        env.push_back("XDG_CONFIG_HOME=" + dir.path().string());
        env.push_back(display.empty() ? std::string("DISPLAY") : "DISPLAY=" + display);
        m_pid =
            spawnProgram({QUORVANE_BINARY, "--headless", config, "--device", pty.slavePath()}, env, m_err);
    }
    ~HeadlessQuorvane() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    HeadlessQuorvane(const HeadlessQuorvane&) = delete;
    HeadlessQuorvane& operator=(const HeadlessQuorvane&) = delete;

    std::string standardError() const { return ReadWholeFile(m_err).value_or(""); }
    /// Waits until the runtime window's load has finished (its caption is shown).
    bool loaded() const {
        return waitFor(
                   [&] { return standardError().find("Quorvane - COM1") != std::string::npos || !running(); },
                   std::chrono::seconds(15)) &&
               running();
    }
    bool running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }
    /// SIGTERM, then the exit status; -1 when it did not end in time.
    int stop() {
        kill(m_pid, SIGTERM);
        int status = 0;
        const bool ended = waitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; });
        if (!ended)
            return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    std::string m_err;
};

Configuration ptyConfiguration(const TempDir& dir) {
    Configuration c;
    ResetConfiguration(c);
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.OutputMode = 2;
    c.LogFileName = dir.file("capture.log");
    c.AckString = "ok";
    return c;
}

std::string save(const TempDir& dir, const Configuration& c) {
    const std::string path = dir.file("hotkeys.QV3");
    WriteWholeFile(path, EncodeConfigFile(c));
    return path;
}

/// Reads the pty until `text` has arrived; everything read.
std::string receiveUntil(const PtyPair& pty, std::string& got, const std::string& text) {
    waitFor([&] {
        char buffer[256];
        const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
        return got.find(text) != std::string::npos;
    });
    return got;
}

/// True once a record is acknowledged: the caption shows early in the load, the hot keys are
/// registered only at its end, before the first tick.
bool capturing(const PtyPair& pty) {
    std::string got;
    return pty.send("s\r") == 2 && receiveUntil(pty, got, "ok") == "ok";
}

class HotKeyHeadless : public testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<XvfbServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override {
        if (s_server->display().empty())
            GTEST_SKIP() << "Xvfb could not be started";
        ASSERT_TRUE(m_pty.ok());
    }

    static std::unique_ptr<XvfbServer> s_server;
    TempDir m_dir;
    PtyPair m_pty;
};

std::unique_ptr<XvfbServer> HotKeyHeadless::s_server;

TEST_F(HotKeyHeadless, HotKeyStringReachesTheDeviceAlsoWithNumLockOn) {
    Configuration c = ptyConfiguration(m_dir);
    c.HotKey[4] = static_cast<std::int16_t>(kCtrlShift + kF5);
    c.HotKeyAction[4] = 1;
    c.HotKeyString[4] = std::string("HK\0\r", 4);
    HeadlessQuorvane quorvane(m_dir, save(m_dir, c), m_pty, s_server->display());
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    ASSERT_TRUE(capturing(m_pty));

    std::string got;
    ASSERT_TRUE(s_server->key("ctrl+shift+F5"));
    EXPECT_EQ(receiveUntil(m_pty, got, std::string("HK\0\r", 4)), std::string("HK\0\r", 4));

    OtherClient observer(s_server->display());
    ASSERT_TRUE(s_server->key("Num_Lock"));
    ASSERT_TRUE(waitFor([&] { return (observer.modifierState() & XCB_MOD_MASK_2) != 0; }));
    ASSERT_TRUE(s_server->key("ctrl+shift+F5"));
    got.clear();
    const std::string second = receiveUntil(m_pty, got, std::string("HK\0\r", 4));
    ASSERT_TRUE(s_server->key("Num_Lock"));
    EXPECT_EQ(second, std::string("HK\0\r", 4)) << quorvane.standardError();
    EXPECT_EQ(quorvane.stop(), 0);
}

TEST_F(HotKeyHeadless, KeyHeldByAnotherClientLeavesTheProgramRunningWithoutIt) {
    OtherClient other(s_server->display());
    ASSERT_TRUE(other.grab(XK_F6, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
    Configuration c = ptyConfiguration(m_dir);
    c.HotKey[0] = static_cast<std::int16_t>(kCtrlShift + kF6);
    c.HotKeyAction[0] = 1;
    c.HotKeyString[0] = "taken";
    c.HotKey[1] = static_cast<std::int16_t>(kCtrlShift + kF7);
    c.HotKeyAction[1] = 1;
    c.HotKeyString[1] = "free";
    HeadlessQuorvane quorvane(m_dir, save(m_dir, c), m_pty, s_server->display());
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    ASSERT_TRUE(capturing(m_pty));

    // The other client lets go, but the refused key stays unregistered for the whole run.
    other.ungrab(XK_F6, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
    ASSERT_TRUE(s_server->key("ctrl+shift+F6"));
    ASSERT_TRUE(s_server->key("ctrl+shift+F7"));
    std::string got;
    EXPECT_EQ(receiveUntil(m_pty, got, "free"), "free");
    ASSERT_EQ(m_pty.send("r1\r"), 3U);
    EXPECT_EQ(receiveUntil(m_pty, got, "ok"), "freeok");
    EXPECT_TRUE(quorvane.running());
    EXPECT_EQ(quorvane.stop(), 0);
}

TEST_F(HotKeyHeadless, AcknowledgementFollowsEveryRecordVoidOnesIncluded) {
    Configuration c = ptyConfiguration(m_dir);
    c.AckString = std::string("\x06", 1);
    c.PreInputTranslation['V'] = "Void Record";
    HeadlessQuorvane quorvane(m_dir, save(m_dir, c), m_pty, s_server->display());
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    ASSERT_EQ(m_pty.send("r1\rVr2\rr3\r"), 10U);
    std::string got;
    EXPECT_EQ(receiveUntil(m_pty, got, "\x06\x06\x06"), "\x06\x06\x06");
    EXPECT_EQ(quorvane.stop(), 0);
    const std::string logged = ReadWholeFile(m_dir.file("capture.log")).value_or("");
    EXPECT_NE(logged.find("r1"), std::string::npos) << logged;
    EXPECT_NE(logged.find("r3"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("r2"), std::string::npos) << "the void record was delivered: " << logged;
}

TEST_F(HotKeyHeadless, WithoutADisplayTheTimedOutputStillRuns) {
    Configuration c = ptyConfiguration(m_dir);
    c.TimerInterval = 100;
    c.TimerFlags = 1 + 2;
    c.TimerString = "T";
    c.HotKey[0] = static_cast<std::int16_t>(kCtrlShift + kF5);
    c.HotKeyAction[0] = 1;
    HeadlessQuorvane quorvane(m_dir, save(m_dir, c), m_pty, "");
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    std::string got;
    EXPECT_EQ(receiveUntil(m_pty, got, "TTT").substr(0, 3), "TTT");
    EXPECT_EQ(quorvane.stop(), 0);
}

/// Counts the occurrences of `text` in `in`.
std::size_t occurrences(const std::string& in, const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1))
        ++count;
    return count;
}

TEST_F(HotKeyHeadless, ServerRestartedOnTheSameDisplayGetsKeystrokesAndHotKeysBack) {
    XvfbServer server;
    ASSERT_FALSE(server.display().empty());
    Configuration c = ptyConfiguration(m_dir);
    c.OutputMode = 0;
    c.HotKey[4] = static_cast<std::int16_t>(kCtrlShift + kF5);
    c.HotKeyAction[4] = 1;
    c.HotKeyString[4] = "HK";
    HeadlessQuorvane quorvane(m_dir, save(m_dir, c), m_pty, server.display());
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    ASSERT_TRUE(capturing(m_pty));

    server.stop();
    const std::string lostKeys = "the hot keys are off until it is back";
    const std::string lostTyping = "records are shown but not typed";
    ASSERT_TRUE(waitFor([&] { return quorvane.standardError().find(lostKeys) != std::string::npos; }))
        << quorvane.standardError();
    // Records go on being taken, and acknowledged, while nothing can be typed.
    std::string got;
    ASSERT_EQ(m_pty.send("r1\rr2\rr3\r"), 9U);
    EXPECT_EQ(receiveUntil(m_pty, got, "okokok"), "okokok");
    EXPECT_TRUE(quorvane.running());

    ASSERT_TRUE(server.restart());
    ASSERT_TRUE(waitFor([&] {
        const std::string said = quorvane.standardError();
        return said.find("hot keys are reconnected") != std::string::npos &&
               said.find("keystroke output is reconnected") != std::string::npos;
    })) << quorvane.standardError();
    ASSERT_TRUE(server.key("ctrl+shift+F5"));
    got.clear();
    EXPECT_EQ(receiveUntil(m_pty, got, "HK"), "HK");
    ASSERT_EQ(m_pty.send("r4\r"), 3U);
    got.clear();
    EXPECT_EQ(receiveUntil(m_pty, got, "ok"), "ok");
    EXPECT_EQ(quorvane.stop(), 0);
    const std::string said = quorvane.standardError();
    EXPECT_EQ(occurrences(said, lostKeys), 1U) << said;
    EXPECT_EQ(occurrences(said, lostTyping), 1U) << said;
}

/// A listening socket where an X server on display `number` would be: connections wait in its
/// backlog, unanswered, so that a test sees whether anybody connected.
class FakeXServer {
public:
    explicit FakeXServer(int number)
        : m_socket(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
        // xcb tries the abstract name before the file.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
        std::copy(name.begin(), name.end(), address.sun_path + 1);
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        m_listening = m_socket >= 0 && bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                      listen(m_socket, 8) == 0;
    }
    ~FakeXServer() {
        if (m_socket >= 0)
            close(m_socket);
    }
    FakeXServer(const FakeXServer&) = delete;
    FakeXServer& operator=(const FakeXServer&) = delete;

    bool listening() const { return m_listening; }
    /// True when a client has connected since the last call.
    bool connected() const {
        const int client = accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return false;
        close(client);
        return true;
    }

private:
    int m_socket;
    bool m_listening = false;
};

struct DisplayUse {
    const char* Name;
    std::int16_t OutputMode;
    bool HotKey;
    bool Connects;
};

class DisplayOpening : public testing::TestWithParam<DisplayUse> {};

TEST_P(DisplayOpening, OnlyKeystrokeOutputAndHotKeysConnectToX) {
    const DisplayUse& use = GetParam();
    const int number = 700 + static_cast<int>(getpid() % 200);
    FakeXServer server(number);
    if (!server.listening())
        GTEST_SKIP() << "display :" << number << " is taken";
    TempDir dir;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    Configuration c = ptyConfiguration(dir);
    c.OutputMode = use.OutputMode;
    if (use.HotKey) {
        c.HotKey[0] = static_cast<std::int16_t>(kCtrlShift + kF5);
        c.HotKeyAction[0] = 1;
    }
    // Without a session bus D-Bus would start one through the X server (dbus-launch --autolaunch).
    HeadlessQuorvane quorvane(dir, save(dir, c), pty, ":" + std::to_string(number),
                              {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.file("no-bus")});
    ASSERT_TRUE(quorvane.loaded()) << quorvane.standardError();
    // Keystroke output connects when it types a record, and then waits for the server's answer,
    // which never comes; the hot keys connect during the load. Where nothing connects, the record
    // is acknowledged once it has gone through.
    ASSERT_EQ(pty.send("s\r"), 2U);
    if (!use.Connects) {
        std::string got;
        ASSERT_EQ(receiveUntil(pty, got, "ok"), "ok");
    }
    EXPECT_EQ(waitFor([&] { return server.connected(); }, std::chrono::milliseconds(500)), use.Connects)
        << quorvane.standardError();
}

INSTANTIATE_TEST_SUITE_P(Modes, DisplayOpening,
                         testing::Values(DisplayUse{"LogWithoutHotKeys", 2, false, false},
                                         DisplayUse{"SerialWithoutHotKeys", 1, false, false},
                                         DisplayUse{"LogWithAHotKey", 2, true, true},
                                         DisplayUse{"Keystrokes", 0, false, true}),
                         [](const auto& param) { return std::string(param.param.Name); });

} // namespace
} // namespace quorvane::test
