// The pacing arithmetic: bytes on an 8N1 line and records at a rate, at and around their due times.

#include <gtest/gtest.h>

#include "sim/LinePacing.h"

namespace quorvane::sim {
namespace {

using std::chrono::microseconds;
using namespace std::chrono_literals;

TEST(LinePacing, TenBitsPerByteGiveTheLineItsByteRate) {
    EXPECT_EQ(bytesDue(1s, 9600), 960);
    EXPECT_EQ(bytesDue(1s, 115200), 11520);
    EXPECT_EQ(bytesDue(500ms, 300), 15);
    EXPECT_EQ(timeForBytes(960, 9600), 1s);
    // One byte at 9600 baud takes 1041.67 microseconds: due only once it has fully arrived.
    EXPECT_EQ(bytesDue(microseconds(1041), 9600), 0);
    EXPECT_EQ(bytesDue(microseconds(1042), 9600), 1);
    EXPECT_EQ(timeForBytes(1, 9600), microseconds(1042));
}

TEST(LinePacing, TimeForBytesIsTheFirstMomentTheyAreDue) {
    for (const std::int64_t baud : {300, 1200, 9600, 19200, 57600, 115200, 921600}) {
        for (std::int64_t count = 1; count < 3000; count += 7) {
            const microseconds at = timeForBytes(count, baud);
            ASSERT_EQ(bytesDue(at, baud), count) << baud << " " << count;
            ASSERT_EQ(bytesDue(at - 1us, baud), count - 1) << baud << " " << count;
        }
    }
}

TEST(LinePacing, LongReplaysDoNotOverflow) {
    EXPECT_EQ(bytesDue(std::chrono::hours(100), 4'000'000), 144'000'000'000LL);
}

TEST(LinePacing, NothingIsDueBeforeTheStartOrOnADeadLine) {
    EXPECT_EQ(bytesDue(0us, 9600), 0);
    EXPECT_EQ(bytesDue(-5s, 9600), 0);
    EXPECT_EQ(bytesDue(5s, 0), 0);
    EXPECT_EQ(recordsDue(-1us, 2.0), 0);
    EXPECT_EQ(timeForBytes(0, 9600), 0us);
}

TEST(LinePacing, FirstRecordIsDueAtOnceAndTheRestAtTheRate) {
    EXPECT_EQ(recordsDue(0us, 2.0), 1);
    EXPECT_EQ(recordsDue(499'999us, 2.0), 1);
    EXPECT_EQ(recordsDue(500ms, 2.0), 2);
    EXPECT_EQ(recordsDue(10s, 2.0), 21);
    EXPECT_EQ(recordsDue(1999ms, 0.5), 1);
    EXPECT_EQ(recordsDue(2s, 0.5), 2);
    EXPECT_EQ(recordsDue(1s, 1000.0), 1001);
    EXPECT_EQ(timeForRecord(0, 2.0), 0us);
    EXPECT_EQ(timeForRecord(3, 2.0), 1500ms);
    EXPECT_EQ(timeForRecord(1, 3.0), microseconds(333'334));
    for (std::int64_t index = 1; index < 500; ++index)
        ASSERT_EQ(recordsDue(timeForRecord(index, 7.0), 7.0), index + 1) << index;
}

} // namespace
} // namespace quorvane::sim
