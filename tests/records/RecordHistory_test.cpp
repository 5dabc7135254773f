// The record history: its bound, its order, the bound's setting, and the texts it exports (CSV and
// copied selections). What the window shows of it is tested with the window.

#include "records/CsvText.h"
#include "records/HistoryExport.h"
#include "records/RecordHistory.h"
#include "records/RecordsTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::RecordFeed;

TEST(RecordHistory, KeepsTheNewestRecordsOldestFirstWithinItsBound) {
    RecordHistory history(RecordHistory::kMinCapacity);
    RecordFeed feed;
    for (int i = 1; i <= 25; ++i)
        history.add(feed.next({std::to_string(i)}));
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.added(), 25u);
    for (std::size_t i = 0; i < history.size(); ++i)
        EXPECT_EQ(history.row(i).Fields.at(0), std::to_string(16 + i));

    history.setCapacity(12);
    history.add(feed.next({"26"}));
    history.add(feed.next({"27"}));
    history.add(feed.next({"28"}));
    ASSERT_EQ(history.size(), 12u);
    EXPECT_EQ(history.row(0).Fields.at(0), "17");
    EXPECT_EQ(history.row(11).Fields.at(0), "28");

    history.setCapacity(3);
    EXPECT_EQ(history.capacity(), RecordHistory::kMinCapacity);
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.row(0).Sequence, 19);
    EXPECT_EQ(history.row(9).Sequence, 28);
}

struct CapacityCase {
    const char* Text;
    std::size_t Capacity;
};

class HistoryCapacityText : public testing::TestWithParam<CapacityCase> {};

TEST_P(HistoryCapacityText, ReadsOrFallsBack) {
    EXPECT_EQ(HistoryCapacityFromText(GetParam().Text), GetParam().Capacity);
}

INSTANTIATE_TEST_SUITE_P(Texts, HistoryCapacityText,
                         testing::Values(CapacityCase{"", 10'000}, CapacityCase{"500", 500},
                                         CapacityCase{" 2000 ", 2000}, CapacityCase{"3", 10},
                                         CapacityCase{"99999999999", 1'000'000},
                                         CapacityCase{"999999999999999999999999", 1'000'000},
                                         CapacityCase{"-5", 10'000}, CapacityCase{"12x", 10'000},
                                         CapacityCase{"many", 10'000}));

struct FieldCase {
    const char* Text;
    char Separator;
    const char* Written;
};

class CsvFields : public testing::TestWithParam<FieldCase> {};

TEST_P(CsvFields, AreQuotedWhenTheyMustBe) {
    EXPECT_EQ(CsvField(GetParam().Text, GetParam().Separator), GetParam().Written);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvFields,
    testing::Values(FieldCase{"12.5", ',', "12.5"}, FieldCase{"", ',', ""}, FieldCase{"1,5", ',', "\"1,5\""},
                    FieldCase{"say \"hi\"", ',', "\"say \"\"hi\"\"\""}, FieldCase{"a\rb", ',', "\"a\rb\""},
                    FieldCase{"a\nb", ',', "\"a\nb\""}, FieldCase{"a\r\nb", ',', "\"a\r\nb\""},
                    FieldCase{" 7", ',', "\" 7\""}, FieldCase{"7\t", ',', "\"7\t\""},
                    FieldCase{"\xC2\xB5m", ',', "\xC2\xB5m"}, FieldCase{"1,5", '\t', "1,5"},
                    FieldCase{"a\tb", '\t', "\"a\tb\""}));

TEST(HistoryCsv, HasAHeaderFromTheFieldNumbersAndEveryKeptRecordInUtf8) {
    RecordHistory history;
    RecordFeed feed;
    history.add(feed.next({"ST", "1,5"}));
    history.add(feed.next({"say \"hi\"", "line\r\nnext", "\xB5m\x80"}));
    const CompletedRecord third = feed.next({});
    history.add(third);

    EXPECT_EQ(HistoryCsv(history), "Time,Record,Field 1,Field 2,Field 3\r\n"
                                   "2026-12-08 14:05:01.000,1,ST,\"1,5\",\r\n"
                                   "2026-12-08 14:05:02.100,2,\"say \"\"hi\"\"\",\"line\r\nnext\","
                                   "\xC2\xB5m\xE2\x82\xAC\r\n"
                                   "2026-12-08 14:05:03.200,3,,,\r\n");
}

TEST(HistoryCopy, IsTabSeparatedLines) {
    EXPECT_EQ(TabSeparated({{"Time", "Field 1"}, {"14:05", "a\tb"}, {"", "\"q\""}}),
              "Time\tField 1\r\n14:05\t\"a\tb\"\r\n\t\"\"\"q\"\"\"\r\n");
}

} // namespace
} // namespace quorvane
