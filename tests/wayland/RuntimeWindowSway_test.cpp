// The runtime window on a Wayland desktop without X: `quorvane FILE` on a private headless sway
// with no DISPLAY comes up through Qt's Wayland plugin, as a window the compositor lists by its
// title, and keeps running while records arrive; in keystroke mode records go to the window the user
// is in and never into the runtime window itself. What the window shows is the runtime tests' part.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/KeystrokeConfiguration.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "serial/PtyPair.h"
#include "wayland/SwaySession.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(RuntimeWindowOnSway, ComesUpWithoutXAndRunsWhileRecordsArrive) {
    test::SwaySession sway;
    if (!sway.whyNot().empty()) {
        if (sway.notInstalled())
            GTEST_SKIP() << sway.whyNot();
        FAIL() << sway.whyNot();
    }
    Configuration c;
    ResetConfiguration(c);
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.RecordStructure = 1;
    c.FieldCount = 1;
    c.PreInputTranslation[10] = "Ignore";
    c.OutputMode = 2;
    c.LogFileName = sway.files().file("records.log");
    const std::string config = sway.files().file("log.QV3");
    WriteWholeFile(config, EncodeConfigFile(c));
    test::PtyPair pty;
    std::vector<std::string> env = sway.environment();
    env.push_back("XDG_CONFIG_HOME=" + sway.files().path().string());
    test::ChildProcess quorvane({QUORVANE_BINARY, config, "--device", pty.slavePath()}, env,
                                sway.files().file("stdout.txt"), sway.files().file("stderr.txt"));

    WaylandConnection connection(sway.socketPath().c_str());
    WaylandWindowSystem windows(connection);
    ASSERT_TRUE(windows.available());
    auto runtimeWindowShown = [&] {
        for (WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == "Quorvane - COM1")
                return true;
        return false;
    };
    ASSERT_TRUE(test::waitUntil(runtimeWindowShown))
        << ReadWholeFile(sway.files().file("stderr.txt")).value_or("");

    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(pty.send("12.5 g\r\n"), 8U);
    // Each record is the field with the CR that ended it.
    std::string log;
    EXPECT_TRUE(test::waitUntil([&] {
        log = ReadWholeFile(c.LogFileName).value_or("");
        return log.size() >= 20 * 7;
    })) << log;
    EXPECT_EQ(log.substr(0, 14), "12.5 g\r12.5 g\r");
    EXPECT_TRUE(quorvane.running());
    EXPECT_TRUE(runtimeWindowShown());
}

TEST(RuntimeWindowOnSway, TypesIntoTheUsersWindowButNeverIntoItself) {
    test::SwaySession sway;
    if (!sway.whyNot().empty() || test::findProgram("wev").empty())
        GTEST_SKIP() << sway.whyNot() << " (wev: " << test::findProgram("wev") << ")";
    const std::string wevLog = sway.files().file("wev.log");
    test::ChildProcess wev(
        {test::findProgram("stdbuf"), "-oL", test::findProgram("wev"), "-f", "wl_keyboard"},
        sway.environment(), wevLog);
    WaylandConnection connection(sway.socketPath().c_str());
    WaylandWindowSystem windows(connection);
    auto windowTitled = [&](const std::string& title) {
        for (WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == title)
                return w;
        return kNoWindow;
    };
    ASSERT_TRUE(test::waitUntil([&] { return windowTitled("wev") != kNoWindow; }));

    test::PtyPair pty;
    std::vector<std::string> env = sway.environment();
    env.push_back("XDG_CONFIG_HOME=" + sway.files().path().string());
    test::ChildProcess quorvane({QUORVANE_BINARY,
                                 test::writeKeystrokeConfiguration(sway.files(), "", {}, 1, "#"), "--device",
                                 pty.slavePath()},
                                env, sway.files().file("stdout.txt"), sway.files().file("stderr.txt"));
    WindowId runtimeWindow = kNoWindow;
    ASSERT_TRUE(test::waitUntil([&] {
        runtimeWindow = windowTitled("Quorvane - COM1");
        return runtimeWindow != kNoWindow && windows.foregroundWindow() == runtimeWindow;
    }));
    auto typed = [&] { return test::textTypedIntoWev(ReadWholeFile(wevLog).value_or("")); };

    // The acknowledgement goes out once a record was dealt with, the foreground given back included.
    std::string acks;
    auto acknowledged = [&](std::size_t records) {
        return test::waitUntil([&] {
            acks += pty.receive(16, std::chrono::milliseconds(10));
            return acks.size() >= records;
        });
    };
    ASSERT_TRUE(windows.activate(windowTitled("wev")));
    ASSERT_EQ(pty.send("to,the,user\r\n"), 13U);
    ASSERT_TRUE(acknowledged(1));
    ASSERT_TRUE(windows.activate(runtimeWindow));
    ASSERT_EQ(pty.send("not,into,itself\r\n"), 17U);
    ASSERT_TRUE(acknowledged(2));
    ASSERT_TRUE(windows.activate(windowTitled("wev")));
    ASSERT_EQ(pty.send("again,to,user\r\n"), 15U);
    ASSERT_TRUE(test::waitUntil([&] {
        const std::string text = typed();
        return std::count(text.begin(), text.end(), '\n') >= 2;
    }));
    EXPECT_EQ(typed(), "<to\tthe\tuser\n<again\tto\tuser\n")
        << ReadWholeFile(sway.files().file("stderr.txt")).value_or("");
}

} // namespace
} // namespace quorvane
