// The headless run logging into a FIFO, as a user pipes a capture into another program: no reader
// yet, a reader that stops reading, and a reader that leaves. The device is read throughout, the
// records wait as in any log outage and reach a reader that comes back in order, and a stop signal
// ends the run at once whatever the reader does. Not covered: FIFOs as configuration or settings.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "fakes/TempDir.h"
#include "integration/HeadlessProcess.h"
#include "serial/PtyPair.h"

namespace quorvane {
namespace {

using Clock = std::chrono::steady_clock;
using test::HeadlessProcess;
using test::sendAll;

std::string records(int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i)
        text += "f" + std::to_string(i) + ",payload of some length,end\r\n";
    return text;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The reading end of the FIFO, opened without waiting for the writer.
class FifoReader {
public:
    explicit FifoReader(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~FifoReader() { close(); }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    bool ok() const { return m_fd >= 0; }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    /// Reads until `size` bytes have come in all, or 20 s pass.
    std::string readUntil(std::size_t size) {
        const auto end = Clock::now() + std::chrono::seconds(20);
        while (m_read.size() < size && Clock::now() < end) {
            pollfd readable{m_fd, POLLIN, 0};
            poll(&readable, 1, 50);
            char buffer[65536];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                m_read.append(buffer, static_cast<std::size_t>(n));
        }
        return m_read;
    }

private:
    int m_fd;
    std::string m_read;
};

enum class Reader { None, Stalled, Leaves };

class HeadlessLogFifo : public testing::TestWithParam<Reader> {};

TEST_P(HeadlessLogFifo, KeepsCapturingAndStopsAtOnce) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string log = dir.file("capture.log");
    ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
    std::optional<FifoReader> reader;
    if (GetParam() != Reader::None)
        reader.emplace(log);
    HeadlessProcess quorvane(
        dir, {"--headless", "--quiet", test::writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();

    std::string sent;
    std::string why;
    switch (GetParam()) {
    case Reader::None:
        why = "no program is reading this FIFO";
        sent = records(0, 500);
        break;
    case Reader::Stalled:
        why = "the program reading this FIFO is not keeping up";
        sent = records(0, 10000); // several times what the pipe holds
        break;
    case Reader::Leaves:
        sent = records(0, 100);
        ASSERT_TRUE(sendAll(pty, sent));
        EXPECT_EQ(reader->readUntil(sent.size()), sent);
        reader.reset();
        // The reader is found gone by a write (EPIPE) or, the log being closed between reads of
        // the device, by the next open.
        why = "File I/O Error Writing To: " + log + "\n";
        sent = records(100, 100);
        break;
    }
    ASSERT_TRUE(sendAll(pty, sent)) << "the device was not read";
    ASSERT_TRUE(quorvane.waitForMessage(why)) << quorvane.standardError();

    // The records waited: a reader that comes now gets every one, in order.
    if (!reader)
        reader.emplace(log);
    ASSERT_TRUE(reader->ok());
    EXPECT_TRUE(reader->readUntil(sent.size()) == sent) << "the FIFO's reader got other bytes";

    // Stalled again, with records waiting: the stop is served at once.
    const std::string more = records(20000, 10000);
    ASSERT_TRUE(sendAll(pty, more));
    // Once the program has read all the device sent (a device that never pauses is the stop
    // tests' case), only the FIFO could hold the stop up.
    const auto stalled = Clock::now() + std::chrono::seconds(20);
    int unread = 1;
    while ((occurrences(quorvane.standardError(), "File I/O Error") < 2 || unread != 0) &&
           Clock::now() < stalled) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (ioctl(pty.master(), TIOCOUTQ, &unread) != 0)
            unread = 0;
    }
    const auto start = Clock::now();
    quorvane.signal(SIGTERM);
    const int status = quorvane.wait(std::chrono::seconds(20));
    const auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::printf("[          ] stopped in %lld ms with the FIFO full\n",
                static_cast<long long>(latency.count()));
    EXPECT_EQ(status, 0) << quorvane.standardError();
    EXPECT_LT(latency.count(), 100);
    EXPECT_NE(quorvane.standardError().find("records could not be written to " + log), std::string::npos)
        << quorvane.standardError();
}

std::string readerName(const testing::TestParamInfo<Reader>& reader) {
    constexpr const char* kNames[] = {"noReader", "stalledReader", "leavingReader"};
    return kNames[static_cast<int>(reader.param)];
}

INSTANTIATE_TEST_SUITE_P(Readers, HeadlessLogFifo,
                         testing::Values(Reader::None, Reader::Stalled, Reader::Leaves), readerName);

} // namespace
} // namespace quorvane
