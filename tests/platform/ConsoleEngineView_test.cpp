// Record lines of a run without windows: held until the end of the engine's step, escaped, and
// dropped and counted as a whole when standard output is not ready.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <string>

#include "platform/console/ConsoleEngineView.h"

namespace quorvane {
namespace {

std::string drain(int fd) {
    std::string got;
    char buffer[65536];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        got.append(buffer, static_cast<std::size_t>(n));
    return got;
}

void deliver(ConsoleEngineView& view, std::string_view field, std::string_view number) {
    view.setFieldText(1, field);
    view.setFieldText(2, "x");
    view.setRecordNumber(number);
}

TEST(ConsoleEngineView, HoldsRecordLinesUntilTheStepEndsAndDropsThemWholeWhenOutputIsNotReady) {
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_NONBLOCK), 0);
    char* status = nullptr;
    std::size_t statusSize = 0;
    std::FILE* statusStream = open_memstream(&status, &statusSize);
    {
        ConsoleEngineView view(pipeFds[1], statusStream);
        view.addFieldBox(1, "", 0, 0);
        view.addFieldBox(2, "", 0, 0);
        deliver(view, "7.5 g\r", "1");
        deliver(view, "caf\xE9", "2");
        EXPECT_EQ(drain(pipeFds[0]), "");
        view.flush();
        EXPECT_EQ(drain(pipeFds[0]), "#1  7.5 g\\r | x\n#2  caf\\xE9 | x\n");

        // A reader that does not keep up: the whole step's lines are dropped, and counted once
        // lines get through again.
        fcntl(pipeFds[1], F_SETPIPE_SZ, 4096);
        const std::string filler(4096, '.');
        while (write(pipeFds[1], filler.data(), filler.size()) > 0) {
        }
        for (const char* number : {"3", "4", "5"})
            deliver(view, "y", number);
        view.flush();
        drain(pipeFds[0]);
        deliver(view, "z", "6");
        view.flush();
        EXPECT_EQ(drain(pipeFds[0]), "#6  z | x\n");
    }
    std::fclose(statusStream);
    EXPECT_EQ(std::string(status, statusSize),
              "quorvane: 3 record lines were not shown: standard output was not ready\n");
    std::free(status);
    close(pipeFds[0]);
    close(pipeFds[1]);
}

class UnshownAtTheEnd : public testing::TestWithParam<bool> {};

// A reader that never comes back: the lines it missed are still counted, at the end of the run.
TEST_P(UnshownAtTheEnd, AreCountedWhenTheReaderNeverReadsAgain) {
    const bool readerLeaves = GetParam();
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_NONBLOCK), 0);
    fcntl(pipeFds[1], F_SETPIPE_SZ, 4096);
    const std::string filler(4096, '.');
    while (write(pipeFds[1], filler.data(), filler.size()) > 0) {
    }
    if (readerLeaves)
        close(pipeFds[0]);
    char* status = nullptr;
    std::size_t statusSize = 0;
    std::FILE* statusStream = open_memstream(&status, &statusSize);
    const auto previous = signal(SIGPIPE, SIG_IGN);
    {
        ConsoleEngineView view(pipeFds[1], statusStream);
        view.addFieldBox(1, "", 0, 0);
        for (const char* number : {"1", "2"}) {
            deliver(view, "y", number);
            view.flush();
        }
        view.reportUnshownLines();
    }
    signal(SIGPIPE, previous);
    std::fclose(statusStream);
    EXPECT_EQ(std::string(status, statusSize),
              readerLeaves ? "quorvane: standard output was closed: record lines are no longer shown\n"
                             "quorvane: 2 record lines were not shown: standard output was closed\n"
                           : "quorvane: 2 record lines were not shown: standard output was not ready\n");
    std::free(status);
    if (!readerLeaves)
        close(pipeFds[0]);
    close(pipeFds[1]);
}

INSTANTIATE_TEST_SUITE_P(Readers, UnshownAtTheEnd, testing::Bool(),
                         [](const auto& row) { return row.param ? "leaves" : "stalls"; });

TEST(LineOutlet, OnlyTheNullDeviceCountsAsDiscarding) {
    // A run whose standard output is the null device builds no record lines; anywhere else they
    // must still be written.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const struct {
        const char* What;
        int Fd;
        bool Discards;
    } cases[] = {{"/dev/null", open("/dev/null", O_WRONLY), true},
                 {"/dev/zero", open("/dev/zero", O_WRONLY), false},
                 {"pipe", pipeFds[1], false},
                 {"file", fileno(file), false}};
    for (const auto& c : cases) {
        ASSERT_GE(c.Fd, 0) << c.What;
        EXPECT_EQ(LineOutlet(c.Fd).discards(), c.Discards) << c.What;
        ConsoleEngineView view(c.Fd);
        view.setFieldText(1, "x");
        view.setRecordNumber("1");
    }
    close(pipeFds[1]);
    EXPECT_EQ(drain(pipeFds[0]), "#1  x\n");
    std::rewind(file);
    char line[16] = {};
    EXPECT_STREQ(std::fgets(line, sizeof line, file), "#1  x\n");
    close(cases[0].Fd);
    close(cases[1].Fd);
    close(pipeFds[0]);
    std::fclose(file);
}

} // namespace
} // namespace quorvane
