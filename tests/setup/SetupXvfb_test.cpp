// The quorvane program without a file on a private X server with a window manager: it shows the
// setup window "Quorvane Setup (Untitled)", its File menu opens from the keyboard, and Exit ends the
// program with status 0; a stop signal ends it as Exit does, keeping unsaved changes for the next
// start, which offers them. A screenshot of the window with the File menu open is saved beside the
// test binary (setup.png). The menus in detail are MainForm_test's.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/x11/X11WindowSystem.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

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

// The top-level window with this title, once one is shown (or the program ended).
WindowId waitForWindow(X11WindowSystem& windows, ChildProcess& program, const std::string& title) {
    WindowId found = kNoWindow;
    waitUntil(
        [&] {
            for (const WindowId w : windows.topLevelWindows())
                if (windows.windowTitle(w) == title)
                    found = w;
            return found != kNoWindow || !program.running();
        },
        std::chrono::seconds(60));
    return found;
}

// True once the process `pid` handles `signal` itself (its handler is installed).
bool catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigCgt:"))
            return ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1U) != 0;
    return false;
}

// What a stop signal kept of the setup window's unsaved changes; nullopt when nothing was kept.
std::optional<Configuration> keptChanges(const test::TempDir& dir) {
    const auto bytes = ReadWholeFile(dir.file("quorvane/Recovery.QV3"));
    Configuration kept;
    ResetConfiguration(kept);
    if (!bytes || !DecodeConfigFile(*bytes, kept).ok())
        return std::nullopt;
    return kept;
}

// A logout or a service manager ends the setup window as Exit does, without asking anyone: the
// unsaved changes are kept beside the settings, and the next start offers them back.
TEST(SetupOnXvfb, StopSignalEndsTheProgramAsExitDoesKeepingUnsavedChangesForTheNextStart) {
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
    X11WindowSystem windows(x.display());
    const auto stop = [&](ChildProcess& program) {
        const std::string errors = ReadWholeFile(dir.file("quorvane.err")).value_or("");
        ASSERT_TRUE(program.running()) << errors;
        ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
        ASSERT_TRUE(waitUntil([&] { return !program.running(); }, std::chrono::seconds(10))) << errors;
        EXPECT_EQ(program.exitStatus(), 0) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    };

    {
        ChildProcess program({QUORVANE_BINARY}, env, dir.file("quorvane.out"), dir.file("quorvane.err"));
        const WindowId setup = waitForWindow(windows, program, "Quorvane Setup (Untitled)");
        ASSERT_NE(setup, kNoWindow) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
        // Mode > DDE Server... is an unsaved change; its dialog stays open when the signal comes.
        ASSERT_TRUE(x.xdotool({"windowactivate", "--sync", std::to_string(setup)}));
        ASSERT_TRUE(x.xdotool({"key", "alt+f", "Right", "d"}));
        ASSERT_NE(waitForWindow(windows, program, "Target Application DDE Command"), kNoWindow);
        stop(program);
    }
    const std::optional<Configuration> kept = keptChanges(dir);
    ASSERT_TRUE(kept.has_value()) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    EXPECT_EQ(kept->OutputMode, 1);

    // The next start asks first; Yes brings the changes back, still unsaved, so the next stop keeps
    // them again.
    ChildProcess program({QUORVANE_BINARY}, env, dir.file("quorvane.out"), dir.file("quorvane.err"));
    const WindowId offer = waitForWindow(windows, program, "Quorvane");
    ASSERT_NE(offer, kNoWindow) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    // Yes, pressed until the box has the focus; answered, the kept file goes: it is offered once.
    EXPECT_TRUE(waitUntil([&] {
        return x.xdotool({"key", "alt+y"}) && !std::filesystem::exists(dir.file("quorvane/Recovery.QV3"));
    }));
    // The window takes stop signals from when its event loop runs, after the offer.
    ASSERT_TRUE(waitUntil([&] { return catches(program.pid(), SIGTERM); }));
    stop(program);
    const std::optional<Configuration> keptAgain = keptChanges(dir);
    ASSERT_TRUE(keptAgain.has_value()) << "the restored changes were not restored as unsaved";
    EXPECT_EQ(keptAgain->OutputMode, 1);
}

} // namespace
} // namespace quorvane
