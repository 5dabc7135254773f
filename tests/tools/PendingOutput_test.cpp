// The output queue against a real non-blocking pipe: short writes, EAGAIN and errors never lose
// or reorder bytes.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "sim/PendingOutput.h"

namespace quorvane::sim {
namespace {

class PendingOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(::pipe(m_ends), 0);
        for (const int end : m_ends)
            ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        // A small pipe makes short writes and EAGAIN happen often.
        ::fcntl(m_ends[1], F_SETPIPE_SZ, 4096);
    }
    void TearDown() override {
        for (const int end : m_ends)
            if (end >= 0)
                ::close(end);
    }
    std::string readSome(std::size_t most) {
        std::string bytes(most, '\0');
        const ssize_t count = ::read(m_ends[0], bytes.data(), most);
        bytes.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
        return bytes;
    }

    int m_ends[2] = {-1, -1};
};

TEST_F(PendingOutputTest, EverythingArrivesInOrderThroughAFullPipe) {
    PendingOutput queue;
    std::string expected, received;
    bool blocked = false;
    unsigned piece = 0;
    unsigned rounds = 0;
    while (expected.size() < 300'000 || !queue.empty()) {
        if (expected.size() < 300'000) {
            std::string chunk;
            for (unsigned i = 0; i < 1 + piece % 997; ++i)
                chunk.push_back(static_cast<char>((expected.size() + i) * 7 % 251));
            expected += chunk;
            queue.append(chunk);
            ++piece;
        }
        const auto result = queue.writeTo(m_ends[1]);
        ASSERT_NE(result, PendingOutput::WriteResult::Failed);
        blocked = blocked || result == PendingOutput::WriteResult::WouldBlock;
        // Reading less than is written on average keeps the pipe full.
        received += readSome(++rounds % 2 == 0 ? 512 : 0);
    }
    for (std::string more = readSome(65536); !more.empty(); more = readSome(65536))
        received += more;
    EXPECT_TRUE(blocked);
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_EQ(received, expected);
}

TEST_F(PendingOutputTest, NothingWaitingIsReportedAsEmpty) {
    PendingOutput queue;
    EXPECT_EQ(queue.writeTo(m_ends[1]), PendingOutput::WriteResult::Empty);
}

TEST_F(PendingOutputTest, AFailedWriteKeepsTheBytesQueued) {
    PendingOutput queue;
    queue.append("ST,GS,   12.345,g\r\n");
    ::close(m_ends[0]);
    m_ends[0] = -1;
    EXPECT_EQ(queue.writeTo(m_ends[1]), PendingOutput::WriteResult::Failed);
    EXPECT_EQ(queue.size(), 19u);
}

} // namespace
} // namespace quorvane::sim
