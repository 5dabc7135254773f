// The records waiting for a log that cannot take them: every byte comes out once and in order
// however the writes cut them, and the memory bound holds for records of any size, measured at
// the allocator. Not covered here: when the host retries (the headless run's tests).

#include "engine/EngineTestSupport.h"
#include "engine/output/QueuedLogOutput.h"
#include "engine/output/LogBacklog.h"
#include "platform/posix/PosixFileAccess.h"

#include <gtest/gtest.h>
#include <malloc.h>

namespace quorvane::test {
namespace {

struct DrainCase {
    const char* Name;
    std::vector<std::size_t> Lengths; // of the records pushed
    std::size_t Batch;                // what each write is offered at most
    std::size_t Taken;                // what each write takes of it at most
};

const DrainCase kDrainCases[] = {
    {"OneByteRecordsWholeWrites", std::vector<std::size_t>(1000, 1), 64, SIZE_MAX},
    {"LengthsAroundTheOneByteHeader", {0, 1, 126, 127, 128, 129, 300, 16383, 16384, 70000}, 4096, SIZE_MAX},
    {"WritesCutInsideRecords", {5, 300, 70000, 2, 128}, 1000, 7},
    {"RecordLargerThanTheBatch", {10, 100000, 10}, 50, 33333},
};

class BacklogDrain : public ::testing::TestWithParam<DrainCase> {};

TEST_P(BacklogDrain, EveryByteComesOutOnceAndInOrder) {
    const DrainCase& c = GetParam();
    LogBacklog backlog(std::size_t{16} << 20);
    std::string expected;
    for (std::size_t i = 0; i < c.Lengths.size(); ++i) {
        const std::string record(c.Lengths[i], static_cast<char>('a' + i % 26));
        ASSERT_TRUE(backlog.push(record));
        expected += record;
    }
    EXPECT_EQ(backlog.records(), c.Lengths.size());
    std::string written;
    while (!backlog.empty()) {
        // An empty record leaves with a write of nothing.
        const std::string offered = backlog.peek(c.Batch);
        const std::size_t taken = std::min(offered.size(), c.Taken);
        written += offered.substr(0, taken);
        backlog.consume(taken);
    }
    EXPECT_TRUE(written == expected);
    EXPECT_EQ(backlog.heldBytes(), LogBacklog(0).heldBytes());
}

INSTANTIATE_TEST_SUITE_P(Cases, BacklogDrain, ::testing::ValuesIn(kDrainCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// Bytes the allocator has handed out and not yet taken back.
std::size_t allocatedBytes() {
    return mallinfo2().uordblks;
}

class BacklogBound : public ::testing::TestWithParam<std::size_t> {};

// The log is /dev/full, so every record waits until the bound is reached.
TEST_P(BacklogBound, RecordsOfAnySizeStayUnderTheBound) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no statistics";
#endif
    constexpr std::size_t kLimit = std::size_t{1} << 20;
    Configuration config = engineTestConfig();
    config.LogFileName = "/dev/full";
    PosixFileAccess files;
    FakePrompts prompts;
    FakeClock clock;
    FieldSlots slots = InitialFieldSlots();
    slots[1] = std::string(GetParam(), 'x');
    std::size_t allocated = 0;
    {
        const std::size_t before = allocatedBytes();
        QueuedLogOutput log(config, files, prompts, clock, kLimit);
        while (prompts.Messages.size() < 2) // the failure, then the bound reached
            log.deliverRecord(slots, 1);
        allocated = allocatedBytes() - before;
        EXPECT_GT(log.waitingRecords(), kLimit / (2 * (GetParam() + 2)));
        EXPECT_LE(log.waitingBytes(), kLimit);
    }
    std::printf("[          ] %zu-byte records: %zu bytes allocated under a bound of %zu\n", GetParam(),
                allocated, kLimit);
    EXPECT_LE(allocated, kLimit);
}

INSTANTIATE_TEST_SUITE_P(RecordSizes, BacklogBound, ::testing::Values(1, 20, 1000, 100000));

} // namespace
} // namespace quorvane::test
