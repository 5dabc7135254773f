// The quorvane program without a file on a private X server with a window manager: it shows the
// setup window "Quorvane Setup (Untitled)", its File menu opens from the keyboard, and Exit ends the
// program with status 0. A screenshot of the window with the File menu open is saved beside the
// test binary (setup.png). The menus in detail are MainForm_test's.

#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/x11/X11WindowSystem.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <csignal>

// Last: it brings Xlib, whose macros (None, Success, Status...) would clash with the names above.
#include "x11/WindowCapture.h"

namespace quorvane {
namespace {

using test::ChildProcess;
using test::waitUntil;

TEST(SetupOnXvfb, ShowsTheSetupWindowOpensTheFileMenuAndExits) {
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

    X11WindowSystem windows(x.display());
    WindowId setup = kNoWindow;
    ASSERT_TRUE(waitUntil([&] {
        for (const WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == "Quorvane Setup (Untitled)")
                setup = w;
        return setup != kNoWindow || !program.running();
    })) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    ASSERT_NE(setup, kNoWindow) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    // The splash screen has gone and the window has painted.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    ASSERT_TRUE(x.xdotool({"windowactivate", "--sync", std::to_string(setup)}));
    ASSERT_TRUE(x.xdotool({"key", "alt+f"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const QImage screen = test::capture(x.display(), DefaultRootWindow(x.display()));
    ASSERT_FALSE(screen.isNull());
    const QImage shot = test::cropToContent(screen);
    EXPECT_TRUE(shot.save(QStringLiteral(SETUP_SCREENSHOT)));

    // Down past New, Open..., Save and Save As... to Exit (no recent files yet).
    ASSERT_TRUE(x.xdotool({"key", "x"}));
    ASSERT_TRUE(waitUntil([&] { return !program.running(); }));
    EXPECT_EQ(program.exitStatus(), 0) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
}

// A logout or a service manager ends the setup window as Exit does, without asking anyone.
TEST(SetupOnXvfb, StopSignalEndsTheProgramAsExitDoes) {
    test::XvfbSession x;
    if (!x.ready()) {
        if (x.whyNot().find("not installed") != std::string::npos)
            GTEST_SKIP() << x.whyNot();
        FAIL() << x.whyNot();
    }
    test::TempDir dir;
    std::vector<std::string> env = x.environment();
    env.push_back("XDG_CONFIG_HOME=" + dir.path().string());
    ChildProcess program({QUORVANE_BINARY}, env, dir.file("quorvane.out"), dir.file("quorvane.err"));
    X11WindowSystem windows(x.display());
    ASSERT_TRUE(waitUntil([&] {
        for (const WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == "Quorvane Setup (Untitled)")
                return true;
        return !program.running();
    }));
    ASSERT_TRUE(program.running()) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    ASSERT_TRUE(waitUntil([&] { return !program.running(); }, std::chrono::seconds(10)));
    EXPECT_EQ(program.exitStatus(), 0) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
}

} // namespace
} // namespace quorvane
