// Starting the keystroke target: the words reach the program unexpanded, the system's text comes
// back for a program that cannot start, and the program inherits none of our open descriptors
// (the serial port among them). What the target does with its window is the Xvfb tests' part.

#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "platform/x11/ProgramLauncher.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

std::string waitForFile(const std::string& path) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        auto text = ReadWholeFile(path);
        if (text && !text->empty() && text->back() == '\n')
            return *text;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

TEST(PosixProgramLauncher, StartsTheProgramWithItsQuotedWordsUnexpanded) {
    test::TempDir dir;
    PosixProgramLauncher launcher;
    const std::string out = dir.file("words.txt");
    const LaunchResult result = launcher.startProgram(
        "sh -c 'printf \"%s|\" \"$@\" > \"$0\"; echo >> \"$0\"' " + out + " 'two words' \"$HOME\" '*'");
    ASSERT_GT(result.ProcessId, 0) << result.Error;
    EXPECT_TRUE(result.Error.empty());
    EXPECT_EQ(waitForFile(out), "two words|$HOME|*|\n");
}

TEST(PosixProgramLauncher, ProgramGetsNoDescriptorBeyondTheStandardThree) {
    test::TempDir dir;
    // Opened without close-on-exec, as a careless library would, and numbered above what the shell uses.
    const int opened = ::open(dir.file("held").c_str(), O_CREAT | O_WRONLY, 0600);
    const int held = ::fcntl(opened, F_DUPFD, 50);
    ::close(opened);
    ASSERT_GE(held, 50);
    PosixProgramLauncher launcher;
    const std::string out = dir.file("fds.txt");
    ASSERT_GT(
        launcher.startProgram("sh -c 'ls /proc/$$/fd | tr \"\\n\" \" \" > \"$0\"; echo >> \"$0\"' " + out)
            .ProcessId,
        0);
    const std::string fds = waitForFile(out);
    ::close(held);
    EXPECT_EQ(fds.find(" " + std::to_string(held) + " "), std::string::npos) << fds;
}

TEST(PosixProgramLauncher, FailuresComeBackWithTheSystemsText) {
    PosixProgramLauncher launcher;
    const LaunchResult missing = launcher.startProgram("quorvane-no-such-program --flag");
    EXPECT_EQ(missing.ProcessId, 0);
    EXPECT_EQ(missing.Error, "No such file or directory");
    EXPECT_EQ(launcher.startProgram("   ").ProcessId, 0);
    const LaunchResult unclosed = launcher.startProgram("xterm -T 'Target");
    EXPECT_EQ(unclosed.ProcessId, 0);
    EXPECT_FALSE(unclosed.Error.empty());
}

} // namespace
} // namespace quorvane
