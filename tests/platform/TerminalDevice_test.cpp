// The check of a path typed for a serial port: terminal devices pass, everything else is refused with
// a sentence that names the path and what it is. Real paths: a pseudo-terminal, /dev/null, the
// system's terminal, a plain file, a folder and a missing path.

#include "platform/posix/TerminalDevice.h"

#include "fakes/TempDir.h"
#include "serial/PtyPair.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorvane {
namespace {

TEST(TerminalDeviceProblem, PassesTerminalsAndSaysWhatEverythingElseIs) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string file = dir.file("notes.txt");
    std::ofstream(file) << "not a port";
    const std::string missing = dir.file("ttyUSB9");
    const struct {
        std::string Path;
        const char* Problem; // nullptr: accepted
    } cases[] = {
        {pty.slavePath(), nullptr},
        {"/dev/null", "not a terminal device."},
        {"/dev/tty", "/dev/tty is the system's own terminal device, not a serial port."},
        {"/dev/ptmx", "/dev/ptmx is the system's own terminal device"},
        {file, " is not a device. A serial port is a terminal device such as /dev/ttyUSB0."},
        {dir.path().string(), " is not a device."},
        {missing, " cannot be used: No such file or directory."},
        {"", "No device path was given."},
    };
    for (const auto& c : cases) {
        const auto problem = TerminalDeviceProblem(c.Path);
        if (c.Problem == nullptr) {
            EXPECT_FALSE(problem) << c.Path << ": " << problem.value_or("");
            continue;
        }
        ASSERT_TRUE(problem) << c.Path;
        EXPECT_NE(problem->find(c.Problem), std::string::npos) << *problem;
    }
}

} // namespace
} // namespace quorvane
