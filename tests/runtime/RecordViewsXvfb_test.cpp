// The quorvane program on a private X server with a window manager, fed by the simulated balance:
// the View menu, driven by key presses, opens the history and the plot, both fill with the
// balance's records, and are captured beside the test binary (history*.png, plot*.png) at 100% and
// 150% scale. What the windows show in detail is RecordViews_test's part.

#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/x11/X11WindowSystem.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <thread>

// Last: it brings Xlib, whose macros would clash with the names above.
#include "x11/WindowCapture.h"

namespace quorvane {
namespace {

using test::ChildProcess;
using test::waitUntil;

struct Scale {
    const char* Factor;
    const char* Suffix;
};

class RecordViewsOnXvfb : public testing::TestWithParam<Scale> {};

TEST_P(RecordViewsOnXvfb, OpenFromTheViewMenuAndFillWithTheBalancesRecords) {
    test::XvfbSession x;
    if (!x.ready()) {
        if (x.whyNot().find("not installed") != std::string::npos)
            GTEST_SKIP() << x.whyNot();
        FAIL() << x.whyNot();
    }
    test::TempDir dir;
    std::vector<std::string> env = x.environment();
    std::erase_if(env, [](const std::string& entry) {
        return entry.starts_with("XDG_CONFIG_HOME=") || entry.starts_with("QT_SCALE_FACTOR=");
    });
    env.push_back("XDG_CONFIG_HOME=" + dir.path().string());
    env.push_back(std::string("QT_SCALE_FACTOR=") + GetParam().Factor);
    const std::string port = dir.file("port");
    ChildProcess sim({QUORVANE_SIM, "--profile", "balance", "--rate", "25", "--seed", "29", "--link", port},
                     env);
    ASSERT_TRUE(waitUntil([&] { return access(port.c_str(), F_OK) == 0; }));
    // In the temporary folder, where the example's log file goes.
    ChildProcess program({"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" \"$2\" --device \"$3\"", dir.path(),
                          QUORVANE_BINARY, QUORVANE_BALANCE_EXAMPLE, port},
                         env, dir.file("quorvane.out"), dir.file("quorvane.err"));
    ASSERT_TRUE(program.ok());

    X11WindowSystem windows(x.display());
    const auto find = [&](const std::string& title) {
        for (const WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == title)
                return w;
        return kNoWindow;
    };
    WindowId hoxel = kNoWindow;
    ASSERT_TRUE(
        waitUntil([&] { return (hoxel = find("Quorvane - COM1")) != kNoWindow; }, std::chrono::seconds(60)))
        << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    const auto press = [&](WindowId window, std::vector<std::string> keys) {
        std::vector<std::string> args{
            "/usr/bin/xdotool", "windowactivate", "--sync", std::to_string(window), "key", "--delay", "150"};
        args.insert(args.end(), keys.begin(), keys.end());
        ChildProcess tool(std::move(args), env, "/dev/null", dir.file("xdotool.err"));
        return waitUntil([&] { return !tool.running(); }) && tool.exitStatus() == 0;
    };
    // The window manager shows one window at a time, full screen: each is captured while on top.
    const auto capture = [&](WindowId window, const std::string& name) {
        const QImage shot = test::capture(x.display(), window);
        ASSERT_FALSE(shot.isNull()) << name;
        EXPECT_TRUE(shot.save(
            QString::fromStdString(std::string(SCREENSHOT_DIR "/") + name + GetParam().Suffix + ".png")));
    };
    WindowId history = kNoWindow;
    ASSERT_TRUE(press(hoxel, {"alt+v", "h"})) << ReadWholeFile(dir.file("xdotool.err")).value_or("");
    ASSERT_TRUE(waitUntil([&] { return (history = find("Quorvane - COM1 History")) != kNoWindow; }));
    // Records arrive at 25 a second: three seconds fill the table past its first screen.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    capture(history, "history");

    WindowId plot = kNoWindow;
    ASSERT_TRUE(press(hoxel, {"alt+v", "p"}));
    ASSERT_TRUE(waitUntil([&] { return (plot = find("Quorvane - COM1 Plot")) != kNoWindow; }));
    ASSERT_TRUE(press(plot, {"alt+s", "Home"})); // the shortest span, 10 s
    std::this_thread::sleep_for(std::chrono::seconds(3));
    capture(plot, "plot");
    EXPECT_TRUE(program.running()) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
}

INSTANTIATE_TEST_SUITE_P(Scales, RecordViewsOnXvfb, testing::Values(Scale{"1", ""}, Scale{"1.5", "-150"}),
                         [](const testing::TestParamInfo<Scale>& scale) {
                             return std::string(scale.param.Suffix[0] != '\0' ? "At150" : "At100");
                         });

} // namespace
} // namespace quorvane
