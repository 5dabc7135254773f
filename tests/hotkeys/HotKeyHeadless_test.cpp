// The quorvane program run headless on a pseudo-terminal under Xvfb: a hot key's string reaches
// the device, with Num Lock on too; a key another client holds leaves the program running without
// it; the acknowledgement follows every record, void ones included; without a display the timed
// output still runs.

#include "XvfbServer.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "serial/PtyPair.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <memory>

namespace quorvane::test {
namespace {

constexpr std::int16_t kCtrlShift = 3 * 256;
constexpr int kF5 = 0x74;
constexpr int kF6 = 0x75;
constexpr int kF7 = 0x76;

class HeadlessQuorvane {
public:
    /// Starts the program on the pty with DISPLAY set to `display`, or unset when it is empty.
    HeadlessQuorvane(const TempDir& dir, const std::string& config, const PtyPair& pty,
                     const std::string& display)
        : m_err(dir.file("stderr.txt")) {
        m_pid = spawnProgram({QUORVANE_BINARY, "--headless", config, "--device", pty.slavePath()},
                             {"XDG_CONFIG_HOME=" + dir.path().string(),
                              display.empty() ? std::string("DISPLAY") : "DISPLAY=" + display},
                             m_err);
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

} // namespace
} // namespace quorvane::test
