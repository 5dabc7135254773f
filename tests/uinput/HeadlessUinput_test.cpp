// The quorvane program choosing the kernel's virtual keyboard, from the command line, the per-user
// store or for want of any display, on a machine where /dev/uinput cannot be opened: one message
// names the path, the reason and the udev rule, and records are still shown and counted. Where the
// device can be opened the test does not run (it would type into the desktop).

#include "config/ConfigFiles.h"
#include "fakes/ChildProcess.h"
#include "fakes/KeystrokeConfiguration.h"
#include "platform/uinput/UinputKeyboard.h"
#include "serial/PtyPair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quorvane {
namespace {

struct ChoiceCase {
    const char* Name;
    std::vector<std::string> Options;
    const char* StoredBackend; // nullptr: nothing stored
    std::vector<std::string> Environment;
};

class HeadlessUinput : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(HeadlessUinput, AnUnopenableDeviceIsSaidOnceAndRecordsAreStillShown) {
    if (::access(kUinputPath, W_OK) == 0)
        GTEST_SKIP() << kUinputPath << " can be opened here: this run would type into the desktop";
    const ChoiceCase& c = GetParam();
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    if (c.StoredBackend != nullptr) {
        std::filesystem::create_directories(dir.path() / "config" / "quorvane");
        std::ofstream(dir.path() / "config" / "quorvane" / "Quorvane.ini")
            << "[Keystrokes]\nBackend=" << c.StoredBackend << "\n";
    }
    std::vector<std::string> args{QUORVANE_BINARY, "--headless", test::writeKeystrokeConfiguration(dir, ""),
                                  "--device", pty.slavePath()};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    std::vector<std::string> env{"PATH=/usr/bin:/bin", "HOME=" + dir.path().string(),
                                 "XDG_CONFIG_HOME=" + (dir.path() / "config").string()};
    env.insert(env.end(), c.Environment.begin(), c.Environment.end());
    test::ChildProcess quorvane(args, env, dir.file("stdout.txt"), dir.file("stderr.txt"));
    auto standardError = [&] { return ReadWholeFile(dir.file("stderr.txt")).value_or(""); };
    auto standardOutput = [&] { return ReadWholeFile(dir.file("stdout.txt")).value_or(""); };
    ASSERT_TRUE(test::waitUntil([&] { return standardError().find("Quorvane - COM1") != std::string::npos; }))
        << standardError();

    ASSERT_EQ(pty.send("a,b,c\r\nd,e,f\r\n"), 14u);
    ASSERT_TRUE(test::waitUntil([&] { return standardOutput().find("#2 ") != std::string::npos; }))
        << standardOutput() << standardError();
    const std::string said = standardError();
    const std::string expected = std::string("Cannot open ") + kUinputPath + ": ";
    ASSERT_NE(said.find(expected), std::string::npos) << said;
    EXPECT_EQ(said.find(expected, said.find(expected) + 1), std::string::npos)
        << "said more than once: " << said;
    EXPECT_NE(said.find(kUinputRule), std::string::npos) << said;
    EXPECT_TRUE(quorvane.running());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, HeadlessUinput,
    ::testing::Values(ChoiceCase{"CommandLine", {"--keystrokes", "uinput"}, nullptr, {"DISPLAY=:97"}},
                      ChoiceCase{"Store", {}, "uinput", {"DISPLAY=:97"}},
                      ChoiceCase{"NoDisplay", {}, nullptr, {}},
                      ChoiceCase{"CommandLineOverStore", {"--keystrokes", "UINPUT"}, "x11", {}}),
    [](const auto& testCase) { return std::string(testCase.param.Name); });

} // namespace
} // namespace quorvane
