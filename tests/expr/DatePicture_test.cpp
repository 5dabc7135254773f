// Date pictures and the named date and time formats, applied to a date and time and to serial
// numbers (days since 30 December 1899). The serial conversion is tested at its edges.

#include "expr/DatePicture.h"
#include "expr/ValueFormat.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace quorvane {
namespace {

// A Monday afternoon, day 341 of a year that began on a Thursday.
constexpr LocalDateTime kAfternoon{2026, 12, 7, 14, 5, 9, 0};

struct DateCase {
    LocalDateTime When;
    std::string Format;
    std::string Expected;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << "\"" << c.Format << "\" -> \"" << c.Expected << "\"";
}

class DatePicture : public ::testing::TestWithParam<DateCase> {};

TEST_P(DatePicture, FormatsAsTheTableSays) {
    const DateCase& c = GetParam();
    EXPECT_EQ(FormatDateTime(c.When, c.Format, test::cLocale()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    DayMonthYearCodes, DatePicture,
    ::testing::Values(
        DateCase{kAfternoon, "d", "7"}, DateCase{kAfternoon, "dd", "07"}, DateCase{kAfternoon, "ddd", "Mon"},
        DateCase{kAfternoon, "dddd", "Monday"}, DateCase{kAfternoon, "ddddd", "12/7/2026"},
        DateCase{kAfternoon, "dddddd", "Monday, December 7, 2026"}, DateCase{kAfternoon, "w", "2"},
        DateCase{kAfternoon, "ww", "50"}, DateCase{kAfternoon, "m", "12"}, DateCase{kAfternoon, "mm", "12"},
        DateCase{kAfternoon, "mmm", "Dec"}, DateCase{kAfternoon, "mmmm", "December"},
        DateCase{kAfternoon, "q", "4"}, DateCase{kAfternoon, "y", "341"}, DateCase{kAfternoon, "yy", "26"},
        DateCase{kAfternoon, "yyyy", "2026"}, DateCase{kAfternoon, "DD.MM.YYYY", "07.12.2026"},
        DateCase{kAfternoon, "dd/mm/yyyy", "07/12/2026"},
        DateCase{{2026, 3, 5, 0, 0, 0, 0}, "m/d/yy", "3/5/26"}));

// Weeks start on Sunday; week 1 holds 1 January.
INSTANTIATE_TEST_SUITE_P(Weeks, DatePicture,
                         ::testing::Values(DateCase{{2026, 1, 1, 0, 0, 0, 0}, "ww w", "1 5"},
                                           DateCase{{2026, 1, 3, 0, 0, 0, 0}, "ww w", "1 7"},
                                           DateCase{{2026, 1, 4, 0, 0, 0, 0}, "ww w", "2 1"},
                                           DateCase{{2023, 1, 1, 0, 0, 0, 0}, "ww w", "1 1"},
                                           DateCase{{2022, 12, 31, 0, 0, 0, 0}, "ww", "53"},
                                           DateCase{{2028, 12, 31, 0, 0, 0, 0}, "ww y", "54 366"}));

INSTANTIATE_TEST_SUITE_P(
    TimeCodes, DatePicture,
    ::testing::Values(DateCase{kAfternoon, "h", "14"}, DateCase{kAfternoon, "hh:nn:ss", "14:05:09"},
                      DateCase{kAfternoon, "h:n:s", "14:5:9"}, DateCase{kAfternoon, "h:m", "14:5"},
                      DateCase{kAfternoon, "hh:mm", "14:05"}, DateCase{kAfternoon, "hh mm", "14 05"},
                      DateCase{kAfternoon, "mm/dd hh", "12/07 14"},
                      DateCase{kAfternoon, "hh \"h\" mm", "14 h 05"},
                      DateCase{kAfternoon, "ttttt", "2:05:09 PM"}, DateCase{kAfternoon, "h AM/PM", "2 PM"},
                      DateCase{kAfternoon, "h am/pm", "2 pm"}, DateCase{kAfternoon, "h A/P", "2 P"},
                      DateCase{kAfternoon, "h a/p", "2 p"}, DateCase{kAfternoon, "h AMPM", "2 PM"},
                      DateCase{{2026, 12, 7, 0, 30, 0, 0}, "h:nn AM/PM", "12:30 AM"},
                      DateCase{{2026, 12, 7, 12, 0, 0, 0}, "h:nn am/pm", "12:00 pm"},
                      DateCase{{2026, 12, 7, 11, 59, 59, 0}, "hh:nn:ss A/P", "11:59:59 A"}));

INSTANTIATE_TEST_SUITE_P(NamedAndCombined, DatePicture,
                         ::testing::Values(DateCase{kAfternoon, "c", "12/7/2026 2:05:09 PM"},
                                           DateCase{kAfternoon, "General Date", "12/7/2026 2:05:09 PM"},
                                           DateCase{kAfternoon, "Long Date", "Monday, December 7, 2026"},
                                           DateCase{kAfternoon, "Medium Date", "07-Dec-26"},
                                           DateCase{kAfternoon, "Short Date", "12/7/2026"},
                                           DateCase{kAfternoon, "Long Time", "2:05:09 PM"},
                                           DateCase{kAfternoon, "Medium Time", "02:05 PM"},
                                           DateCase{kAfternoon, "Short Time", "14:05"},
                                           DateCase{kAfternoon, "short time", "14:05"},
                                           DateCase{kAfternoon, "\"Day\" d", "Day 7"},
                                           DateCase{kAfternoon, "\\d d", "d 7"},
                                           DateCase{kAfternoon, "dd-mm;yyyy", "07-12"},
                                           DateCase{kAfternoon, "ttt", "ttt"}));

TEST(DatePicture, NumbersAreReadAsSerialDates) {
    const FormatLocale& c = test::cLocale();
    EXPECT_EQ(FormatValue(46363.75, "dd/mm/yyyy hh:nn", c), "07/12/2026 18:00");
    EXPECT_EQ(FormatValue(0.0, "General Date", c), "12:00:00 AM");
    EXPECT_EQ(FormatValue(1.5, "General Date", c), "12/31/1899 12:00:00 PM");
    EXPECT_EQ(FormatValue(std::string("46363"), "Short Date", c), "12/7/2026");
    EXPECT_EQ(FormatValue(-1.25, "yyyy-mm-dd hh:nn", c), "1899-12-29 06:00");
}

TEST(DatePicture, NumbersOutsideTheYears100To9999PassUnchanged) {
    const FormatLocale& c = test::cLocale();
    EXPECT_EQ(FormatValue(1e9, "yyyy", c), "1000000000");
    EXPECT_EQ(FormatValue(-700000.0, "Long Date", c), "-700000");
    EXPECT_EQ(FormatValue(2958465.0, "yyyy-mm-dd", c), "9999-12-31");
    EXPECT_EQ(FormatValue(-657434.0, "yyyy-mm-dd", c), "100-01-01");
}

TEST(DateSerial, RoundsToTheNearestSecondAcrossMidnight) {
    const auto t = dateTimeFromSerial(46363.0 + 86399.6 / 86400.0);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, (LocalDateTime{2026, 12, 8, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(serialFromDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_FALSE(dateTimeFromSerial(std::numeric_limits<double>::quiet_NaN()).has_value());
}

TEST(DatePicture, LocalePicturesThatNameEachOtherStop) {
    FormatLocale looping = test::cLocale();
    looping.ShortDate = "ddddd";
    looping.LongTime = "c";
    EXPECT_NO_THROW(FormatDateTime(kAfternoon, "c", looping));
}

class LongPicture : public ::testing::TestWithParam<std::string> {};

// A bus command carries a format of any length and the engine waits for it: 160,000 characters
// take milliseconds (a run of one letter once took seconds). The bound leaves room for a debug
// build on a busy machine; the fastest of three runs counts.
TEST_P(LongPicture, OfAHundredAndSixtyThousandCharactersTakesMilliseconds) {
    std::string format;
    while (format.size() < 160000)
        format += GetParam();
    double best = 1e18;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::string text = FormatDateTime(kAfternoon, format, test::cLocale());
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        EXPECT_LE(text.size(), 40 * format.size());
        best = std::min(best, took.count());
    }
    std::printf("[          ] %zu characters: %.1f ms\n", format.size(), best);
    EXPECT_LT(best, 1000);
}

INSTANTIATE_TEST_SUITE_P(Runs, LongPicture,
                         ::testing::Values("d", "m", "y", "h", "n", "s", "t", "w", "c", "x", "\\d", "\"q\"",
                                           "yyyy-mm-dd hh:nn:ss ", "0", "#", "@", ";", "AM/PM"),
                         [](const auto& row) { return "Pattern" + std::to_string(row.index); });

} // namespace
} // namespace quorvane
