// The disk queue: order, the bound, what a restart finds (a torn last message cut off, the head
// where the last run left it), and sending again after a loss.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/mqtt/RecordBacklog.h"
#include "fakes/TempDir.h"

namespace quorvane {
namespace {

struct BacklogHarness {
    explicit BacklogHarness(std::uint64_t limit = 1 << 20)
        : Path(Dir.file("state/q.queue")), Queue(Path, limit) {
        std::string error;
        EXPECT_TRUE(Queue.open(error)) << error;
    }
    std::vector<std::string> drain(RecordBacklog& queue) {
        std::vector<std::string> all;
        while (auto entry = queue.next())
            all.push_back(entry->Topic + "=" + entry->Payload);
        return all;
    }
    test::TempDir Dir;
    std::string Path;
    RecordBacklog Queue;
};

TEST(RecordBacklog, HandsOutInOrderAndAgainFromTheOldestNotTakenAfterARewind) {
    BacklogHarness h;
    for (const char* p : {"1", "2", "3"})
        ASSERT_EQ(h.Queue.append("t", p), RecordBacklog::AppendResult::Stored);
    EXPECT_EQ(h.drain(h.Queue), (std::vector<std::string>{"t=1", "t=2", "t=3"}));
    h.Queue.acknowledge();
    h.Queue.rewind();
    EXPECT_EQ(h.drain(h.Queue), (std::vector<std::string>{"t=2", "t=3"}));
    h.Queue.unread();
    EXPECT_EQ(h.drain(h.Queue), (std::vector<std::string>{"t=3"}));
    EXPECT_EQ(h.Queue.waiting(), 2u);
}

TEST(RecordBacklog, RefusesWhatWouldPassTheBoundAndTakesMoreOnceTheBrokerTookSome) {
    BacklogHarness h(100);
    const std::string payload(40, 'x'); // 10 bytes of framing, 1 of topic: 51 a message
    EXPECT_EQ(h.Queue.append("t", payload), RecordBacklog::AppendResult::Stored);
    EXPECT_EQ(h.Queue.append("t", payload), RecordBacklog::AppendResult::Full);
    h.Queue.next();
    h.Queue.acknowledge();
    EXPECT_EQ(h.Queue.append("t", payload), RecordBacklog::AppendResult::Stored);
}

TEST(RecordBacklog, ARestartFindsTheMessagesNotTakenAndCutsOffATornLastOne) {
    BacklogHarness h;
    for (const char* p : {"a", "b", "c"})
        h.Queue.append("t", p);
    h.Queue.next();
    h.Queue.acknowledge();
    h.Queue.close();
    {
        std::ofstream torn(h.Path, std::ios::app | std::ios::binary);
        torn << "QM\x05"; // a crash in the middle of a header
    }
    RecordBacklog again(h.Path, 1 << 20);
    std::string error;
    ASSERT_TRUE(again.open(error));
    EXPECT_EQ(again.waiting(), 2u);
    again.append("t", "d");
    EXPECT_EQ(h.drain(again), (std::vector<std::string>{"t=b", "t=c", "t=d"}));
}

TEST(RecordBacklog, AnEmptiedQueueLeavesNoFileBehindAtClose) {
    BacklogHarness h;
    h.Queue.append("t", "a");
    h.Queue.next();
    h.Queue.acknowledge();
    h.Queue.close();
    EXPECT_EQ(std::filesystem::file_size(h.Path), 0u);
}

// Records that keep coming while some are always on their way: the file still starts afresh once
// what was taken of it is large, and the messages still waiting stay, in order, in memory and on disk.
TEST(RecordBacklog, AQueueThatNeverEmptiesStillStartsItsFileAfreshKeepingWhatWaits) {
    BacklogHarness h(8 << 20);
    const std::string payload(200, 'x');
    std::uintmax_t largest = 0;
    for (int i = 0; i < 20000; ++i) { // about 4 MiB in all
        ASSERT_EQ(h.Queue.append("t", payload + std::to_string(i)), RecordBacklog::AppendResult::Stored);
        const auto handed = h.Queue.next();
        ASSERT_TRUE(handed);
        ASSERT_EQ(handed->Payload, payload + std::to_string(i));
        if (i >= 3)
            h.Queue.acknowledge(); // three always waiting
        largest = std::max(largest, std::filesystem::file_size(h.Path));
    }
    EXPECT_LT(largest, std::uintmax_t{2} << 20);
    const std::vector<std::string> waiting{"t=" + payload + "19997", "t=" + payload + "19998",
                                           "t=" + payload + "19999"};
    h.Queue.rewind();
    EXPECT_EQ(h.drain(h.Queue), waiting);
    h.Queue.close();
    RecordBacklog again(h.Path, 8 << 20);
    std::string error;
    ASSERT_TRUE(again.open(error));
    EXPECT_EQ(h.drain(again), waiting);
}

} // namespace
} // namespace quorvane
