// The quorvane program with its runtime window on a private X server with a window manager and a
// private session bus, as a user runs it: `quorvane FILE --device PTY` in DDE server mode shows the
// window, records written into the pty reach the field and record number items, {APPEXIT} ends it
// with status 0 and the window position is then in the settings store. A stop signal closes the
// window as its Quit does; the X server going away under a run, started from a file or from the
// setup window, releases the port. A screenshot of the window with its records is saved beside the
// test binary (hoxel.png). The window's controls in detail are Hoxel_test's part.

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/posix/UucpLock.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/x11/X11WindowSystem.h"
#include "serial/PtyPair.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

// Last: it brings Xlib, whose macros (None, Success, Status...) would clash with the names above.
#include "x11/WindowCapture.h"

namespace quorvane {
namespace {

using test::ChildProcess;
using test::waitUntil;

// A balance in DDE server mode: four comma-separated fields ended by CR (its LF ignored), three
// output strings, both signal buttons and the date/time.
std::string writeBalanceConfiguration(const test::TempDir& dir) {
    Configuration c;
    ResetConfiguration(c);
    c.DataBitsIndex = 3;
    c.ParityIndex = 0;
    c.RecordStructure = 1;
    c.FieldCount = 4;
    c.OutputMode = 1;
    c.PreInputTranslation[10] = "Ignore";
    c.ShowDateTime = kTrue;
    c.ButtonFlags = 3;
    const char* strings[] = {"Print", "Tare", "Zero"};
    for (std::size_t i = 0; i < 3; ++i) {
        c.OutputStringName[i + 1] = strings[i];
        c.OutputString[i + 1] = std::string(1, strings[i][0]) + "\r\n";
    }
    const std::string path = dir.file("Balance.QV3");
    WriteWholeFile(path, EncodeConfigFile(c));
    return path;
}

// quorvane-dde with these arguments; its standard output, or nullopt when it failed.
std::optional<std::string> dde(const test::TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), QUORVANE_DDE_TOOL);
    const std::string out = dir.file("dde.out");
    ChildProcess tool(std::move(args), test::environmentWith("DISPLAY", std::nullopt), out);
    if (!waitUntil([&] { return !tool.running(); }) || tool.exitStatus() != 0)
        return std::nullopt;
    std::string text = ReadWholeFile(out).value_or("");
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::optional<std::string> item(const test::TempDir& dir, const std::string& name) {
    return dde(dir, {"request", "Quorvane", "COM1", name});
}

TEST(HoxelOnXvfb, ShowsRecordsServesThemAndEndsOnAppExitWithThePositionStored) {
    test::XvfbSession x;
    if (!x.ready()) {
        if (x.whyNot().find("not installed") != std::string::npos)
            GTEST_SKIP() << x.whyNot();
        FAIL() << x.whyNot();
    }
    test::TempDir dir;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1), 0);
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ChildProcess program({QUORVANE_BINARY, writeBalanceConfiguration(dir), "--device", pty.slavePath()},
                         x.environment(), dir.file("quorvane.out"), dir.file("quorvane.err"));
    ASSERT_TRUE(program.ok());
    // The first start of a Qt program under the sanitizers on a busy machine can take many seconds.
    ASSERT_TRUE(waitUntil([&] { return item(dir, "RecordNumber").has_value() || !program.running(); },
                          std::chrono::seconds(60)))
        << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    ASSERT_TRUE(program.running()) << ReadWholeFile(dir.file("quorvane.err")).value_or("");

    pty.send("1,ST,+0012.345,g\r\n2,ST,+0012.351,g\r\n3,US,+0012.406,g\r\n");
    EXPECT_TRUE(waitUntil([&] { return item(dir, "RecordNumber") == "3"; }));
    EXPECT_EQ(item(dir, "Field(1)"), "3");
    EXPECT_EQ(item(dir, "Field(2)"), "US");
    EXPECT_EQ(item(dir, "Field(3)"), "+0012.406");
    EXPECT_EQ(item(dir, "Field(4)"), "g");

    X11WindowSystem windows(x.display());
    WindowId hoxel = kNoWindow;
    ASSERT_TRUE(waitUntil([&] {
        for (const WindowId w : windows.topLevelWindows())
            if (windows.windowTitle(w) == "Quorvane - COM1")
                hoxel = w;
        return hoxel != kNoWindow;
    }));
    // The boxes repaint once the tick that delivered the records is over.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const QImage shot = test::capture(x.display(), hoxel);
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(test::cropToContent(shot).save(QStringLiteral(HOXEL_SCREENSHOT)));

    EXPECT_EQ(dde(dir, {"exec", "Quorvane", "COM1", "{APPEXIT}"}), "accepted");
    ASSERT_TRUE(waitUntil([&] { return !program.running(); }));
    EXPECT_EQ(program.exitStatus(), 0) << ReadWholeFile(dir.file("quorvane.err")).value_or("");
    QtSettingsStore store;
    for (const char* key : {"MainLeft", "MainTop"}) {
        const std::string value = store.GetSetting("Quorvane - COM1", "Settings", key, "");
        EXPECT_FALSE(value.empty()) << key;
        EXPECT_NO_THROW(static_cast<void>(std::stod(value))) << key << "=" << value;
    }
    unsetenv("XDG_CONFIG_HOME");
}

// How the run under test was started: `quorvane FILE`, or the setup window's Activate menu.
enum class Start { File, SetupWindow };

// The program on a pty under Xvfb, up and serving its items (started from the setup window: its
// runtime window shown); XDG_CONFIG_HOME is the test's folder while it lives.
struct RunningProgram {
    explicit RunningProgram(const test::XvfbSession& x, Start start = Start::File)
        : Lock(std::string(kUucpLockDirectory) + "/" + UucpLockName(Pty.slavePath())) {
        setenv("XDG_CONFIG_HOME", Dir.path().c_str(), 1);
        if (start == Start::SetupWindow) {
            startFromSetupWindow(x);
            return;
        }
        Program.emplace(std::vector<std::string>{QUORVANE_BINARY, writeBalanceConfiguration(Dir), "--device",
                                                 Pty.slavePath()},
                        x.environment(), Dir.file("quorvane.out"), Dir.file("quorvane.err"));
        Up = waitUntil([&] { return item(Dir, "RecordNumber").has_value() || !Program->running(); },
                       std::chrono::seconds(60)) &&
             Program->running() && std::filesystem::exists(Lock);
    }
    // Test Mode from the keyboard, as a user activates the configuration in the setup window.
    void startFromSetupWindow(const test::XvfbSession& x) {
        Program.emplace(std::vector<std::string>{QUORVANE_BINARY, "--device", Pty.slavePath()},
                        x.environment(), Dir.file("quorvane.out"), Dir.file("quorvane.err"));
        X11WindowSystem windows(x.display());
        const auto shown = [&](const std::string& title) {
            for (const WindowId w : windows.topLevelWindows())
                if (windows.windowTitle(w) == title)
                    return w;
            return kNoWindow;
        };
        WindowId setup = kNoWindow;
        if (!waitUntil([&] { return (setup = shown("Quorvane Setup (Untitled)")) != kNoWindow; },
                       std::chrono::seconds(60)) ||
            !x.xdotool({"windowactivate", "--sync", std::to_string(setup)}) ||
            !x.xdotool({"key", "alt+a", "t"}))
            return;
        Up = waitUntil(
                 [&] { return shown("Quorvane - COM1") != kNoWindow && std::filesystem::exists(Lock); }) &&
             Program->running();
    }
    ~RunningProgram() { unsetenv("XDG_CONFIG_HOME"); }
    std::string errors() const { return ReadWholeFile(Dir.file("quorvane.err")).value_or(""); }
    int waitForEnd() {
        if (!waitUntil([&] { return !Program->running(); }, std::chrono::seconds(10)))
            return -1;
        return Program->exitStatus().value_or(-1);
    }

    test::TempDir Dir;
    test::PtyPair Pty;
    std::string Lock;
    std::optional<ChildProcess> Program;
    bool Up = false;
};

#define REQUIRE_XVFB(x)                                                                                      \
    if (!(x).ready()) {                                                                                      \
        if ((x).whyNot().find("not installed") != std::string::npos)                                         \
            GTEST_SKIP() << (x).whyNot();                                                                    \
        FAIL() << (x).whyNot();                                                                              \
    }

class HoxelStopSignal : public testing::TestWithParam<int> {};

// A service manager, a closed terminal or Ctrl+C ends the window as its Quit does.
TEST_P(HoxelStopSignal, ClosesTheWindowAsItsQuitDoes) {
    test::XvfbSession x;
    REQUIRE_XVFB(x);
    RunningProgram run(x);
    ASSERT_TRUE(run.Up) << run.errors();
    ASSERT_EQ(::kill(run.Program->pid(), GetParam()), 0);
    EXPECT_EQ(run.waitForEnd(), 0) << run.errors();
    EXPECT_FALSE(std::filesystem::exists(run.Lock)) << "the port's lock is left";
    QtSettingsStore store;
    EXPECT_FALSE(store.GetSetting("Quorvane - COM1", "Settings", "MainLeft", "").empty()) << "no position";
}

INSTANTIATE_TEST_SUITE_P(Signals, HoxelStopSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& p) { return std::string(sigabbrev_np(p.param)); });

class HoxelDisplayLoss : public testing::TestWithParam<Start> {};

TEST_P(HoxelDisplayLoss, ReleasesThePortAndSaysSo) {
    test::XvfbSession x;
    REQUIRE_XVFB(x);
    if (GetParam() == Start::SetupWindow && test::findProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    RunningProgram run(x, GetParam());
    ASSERT_TRUE(run.Up) << run.errors();
    x.killServer();
    EXPECT_EQ(run.waitForEnd(), 1) << run.errors();
    EXPECT_FALSE(std::filesystem::exists(run.Lock)) << "the port's lock is left";
    EXPECT_NE(run.errors().find("the display went away; the port was closed and the program ends"),
              std::string::npos)
        << run.errors();
}

INSTANTIATE_TEST_SUITE_P(Runs, HoxelDisplayLoss, testing::Values(Start::File, Start::SetupWindow),
                         [](const auto& p) {
                             return p.param == Start::File ? "FromFile" : "FromSetupWindow";
                         });

} // namespace
} // namespace quorvane
