// ExpandDateCodes: which codes are replaced, in what case and order, and how often the clock is read.

#include "expr/DateCodes.h"
#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

class DateCodes : public ::testing::Test {
protected:
    test::FakeClock Clock; // 2026-12-07 14:05:09
};

TEST_F(DateCodes, ReplaceEachCodeWithTwoDigits) {
    EXPECT_EQ(ExpandDateCodes("{MONTH}/{DAY}/{YEAR}", Clock), "12/07/26");
    EXPECT_EQ(ExpandDateCodes("{CENTURY}{YEAR}", Clock), "2026");
    EXPECT_EQ(ExpandDateCodes("{HOUR}:{MINUTE}:{SECOND}", Clock), "14:05:09");
    Clock.Now = {987, 3, 4, 5, 6, 7, 0};
    EXPECT_EQ(ExpandDateCodes("{century}{year}-{month}-{day} {hour}{minute}{second}", Clock),
              "0987-03-04 050607");
}

TEST_F(DateCodes, IgnoreCase) {
    EXPECT_EQ(ExpandDateCodes("{month}{Day}{yEaR}", Clock), "120726");
}

TEST_F(DateCodes, OnlyTheFirstOccurrenceOfEachCodeIsReplaced) {
    EXPECT_EQ(ExpandDateCodes("{DAY}{DAY}", Clock), "07{DAY}");
    EXPECT_EQ(ExpandDateCodes("{SECOND}{HOUR}{SECOND}", Clock), "0914{SECOND}");
}

TEST_F(DateCodes, MisspeltCodesAndOtherTextStay) {
    EXPECT_EQ(ExpandDateCodes("", Clock), "");
    EXPECT_EQ(ExpandDateCodes("{MONTHS} {Mnth} {DAY {ENTER}", Clock), "{MONTHS} {Mnth} {DAY {ENTER}");
    EXPECT_EQ(ExpandDateCodes("a{DAY}b", Clock), "a07b");
    EXPECT_EQ(ExpandDateCodes("[DAY]{DAY} [month]", Clock), "[DAY]07 [month]");
}

class SteppingClock final : public Clock {
public:
    std::uint32_t tickCount() const override { return 0; }
    LocalDateTime now() const override {
        ++Reads;
        return {2026, 12, 31, 23, 59, Reads < 2 ? 59 : 0, 0};
    }
    std::int64_t unixMilliseconds() const override { return 0; }
    mutable int Reads = 0;
};

TEST(DateCodesClock, EachCodeReadsTheClockAfresh) {
    SteppingClock clock;
    // {MINUTE} is looked for before {SECOND}, so the seconds come from the later reading.
    EXPECT_EQ(ExpandDateCodes("{SECOND} {SECOND} {MINUTE} x", clock), "00 {SECOND} 59 x");
    EXPECT_EQ(clock.Reads, 2);
    EXPECT_EQ(ExpandDateCodes("{MONTH}", clock), "12");
    EXPECT_EQ(ExpandDateCodes("none here", clock), "none here");
    EXPECT_EQ(clock.Reads, 3);
}

} // namespace
} // namespace quorvane
