// The runtime window on a Wayland desktop without X: `quorvane FILE` on a private headless sway
// with no DISPLAY comes up through Qt's Wayland plugin, as a window the compositor lists by its
// title, and keeps running while records arrive. What the window shows is the runtime tests' part.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
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

} // namespace
} // namespace quorvane
