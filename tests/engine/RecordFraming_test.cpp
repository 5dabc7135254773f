// Record framing on its own: start events, the seven dispatch modes, delimiters, fixed lengths,
// the overflow field, time gaps counted in ticks, and the pre-input translation. Field processing
// and delivery are left to the engine tests; the filter here is the default "no filter".

#include "EngineTestSupport.h"
#include "config/ConfigDump.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace quorvane::test {
namespace {

Settings logSettings() {
    Settings settings = engineTestConfig();
    settings.OutputMode = 2; // log mode: no character is dropped by the filter
    return settings;
}

Settings delimited(int fields, std::string delimiter = ",") {
    Settings settings = logSettings();
    settings.RecordStructure = 1;
    settings.FieldCount = static_cast<std::int16_t>(fields);
    settings.FieldDelimiter = std::move(delimiter);
    return settings;
}

Settings fixedLengths(std::initializer_list<int> lengths, std::int16_t endEvent) {
    Settings settings = logSettings();
    settings.RecordStructure = 2;
    settings.EndOfRecordEvent = endEvent;
    settings.FieldCount = static_cast<std::int16_t>(lengths.size());
    int i = 1;
    int sum = 0;
    for (const int length : lengths) {
        settings.FieldLength[static_cast<std::size_t>(i++)] = static_cast<std::int16_t>(length);
        sum += length;
    }
    settings.RecordLength = static_cast<std::int16_t>(sum);
    return settings;
}

TEST(DispatchMode, FollowsEndEventAndRecordStructure) {
    // Rows: end events 0..3; columns: single field, delimited, fixed-length.
    const int expected[4][3] = {{0, 2, 6}, {1, 4, 5}, {3, 3, 3}, {0, 2, 6}};
    for (std::int16_t end = 0; end < 4; ++end)
        for (std::int16_t structure = 0; structure < 3; ++structure)
            EXPECT_EQ(static_cast<int>(DeriveDispatchMode(end, structure)), expected[end][structure])
                << "end " << end << " structure " << structure;
    EXPECT_EQ(DeriveEndChars(0, "XY"), "\r");
    EXPECT_EQ(DeriveEndChars(3, "XY"), "XY");
}

struct FramingCase {
    const char* Name;
    std::function<Settings()> Make;
    std::string Input;
    Records Expected;
};

class FramingTable : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FramingTable, FramesTheStreamIntoRecords) {
    const FramingCase& c = GetParam();
    FramingHarness framing(c.Make());
    framing.feed(c.Input);
    EXPECT_EQ(framing.Records, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FramingTable,
    ::testing::Values(
        FramingCase{"SingleFieldKeepsTheCarriageReturnInTheField", logSettings, "12.5\r", {{"12.5\r"}}},
        FramingCase{"LineFeedAfterCrStartsTheNextRecord", logSettings, "1\r\n2\r", {{"1\r"}, {"\n2\r"}}},
        FramingCase{"DelimitedCommaThreeFields", [] { return delimited(3); }, "1,2,3\r", {{"1", "2", "3\r"}}},
        FramingCase{
            "SurplusFieldsAreNotDelivered", [] { return delimited(3); }, "1,2,3,4,5\r", {{"1", "2", "3"}}},
        FramingCase{
            "TwoDelimitersInARowGiveAnEmptyField", [] { return delimited(3); }, "1,,3\r", {{"1", "", "3\r"}}},
        FramingCase{"RunOfSpacesIsOneDelimiter", [] { return delimited(2, " "); }, "1   2\r", {{"1", "2\r"}}},
        FramingCase{"DelimiterThatIsTheEndCharEndsAfterTheLastField",
                    [] { return delimited(2, "\r"); },
                    "a\rb\r",
                    {{"a", "b"}}},
        FramingCase{"SingleFieldTreatsItsDelimiterAsDataAndStillEnds",
                    [] {
                        Settings s = logSettings();
                        s.FieldDelimiter = "\r";
                        return s;
                    },
                    "a\rb\r",
                    {{"a\r"}, {"b\r"}}},
        FramingCase{"SpecialEndCharacters",
                    [] {
                        Settings s = delimited(2);
                        s.EndOfRecordEvent = 3;
                        s.EndOfRecordChars = "#!";
                        return s;
                    },
                    "a,b#c,d!",
                    {{"a", "b#"}, {"c", "d!"}}},
        FramingCase{"FixedByteCountSplitsTenLetters",
                    [] {
                        return fixedLengths({2, 3}, 2);
                    },
                    "ABCDEFGHIJ",
                    {{"AB", "CDE"}, {"FG", "HIJ"}}},
        FramingCase{"FixedLengthsWithCrEndEarlyOnAShortRecord",
                    [] {
                        return fixedLengths({2, 3}, 0);
                    },
                    "A\rBCDEF\r",
                    {{"A\r", ""}, {"BC", "DEF"}}},
        FramingCase{"FixedLengthsRunIntoFollowingFields",
                    [] {
                        return fixedLengths({2, 2}, 0);
                    },
                    "ABCDE\r",
                    {{"AB", "CD"}}},
        FramingCase{"InconsistentRecordLengthStillEndsAtAFieldBoundary",
                    [] {
                        Settings s = fixedLengths({2, 2}, 2);
                        s.RecordLength = 3;
                        return s;
                    },
                    "ABCDEFGH",
                    {{"AB", "CD"}, {"EF", "GH"}}}),
    [](const ::testing::TestParamInfo<FramingCase>& row) { return std::string(row.param.Name); });

struct StartCase {
    const char* Name;
    std::int16_t Event;
    std::string Chars;
    std::string Input;
    std::string Field;
};

class StartEvents : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartEvents, DropBytesBeforeTheStartByte) {
    const StartCase& c = GetParam();
    Settings settings = logSettings();
    settings.StartOfRecordEvent = c.Event;
    settings.StartOfRecordChars = c.Chars;
    FramingHarness framing(settings);
    framing.feed(c.Input);
    ASSERT_EQ(framing.Records.size(), 1u);
    EXPECT_EQ(framing.Records[0][0], c.Field);
}

INSTANTIATE_TEST_SUITE_P(
    Events, StartEvents,
    ::testing::Values(StartCase{"AnyCharacter", 0, "", "\x02xy\r", "\x02xy\r"},
                      StartCase{"AlphaNumeric", 1, "", "\x02\x7f xy\r", " xy\r"},
                      StartCase{"Numeric", 2, "", "\x01kg: -5\r", "-5\r"},
                      StartCase{"NumericTakesTheDecimalSeparator", 2, "", "ab.5\r", ".5\r"},
                      StartCase{"SpecialCharacter", 3, "$@", "xx@12\r", "@12\r"}),
    [](const ::testing::TestParamInfo<StartCase>& row) { return std::string(row.param.Name); });

TEST(StartEvents, ABytePastTheEndWaitsForTheNextStart) {
    Settings settings = logSettings();
    settings.StartOfRecordEvent = 3;
    settings.StartOfRecordChars = "S";
    FramingHarness framing(settings);
    framing.feed("S1\r\nxxS2\r");
    EXPECT_EQ(framing.Records, (Records{{"S1\r"}, {"S2\r"}}));
}

TEST(Overflow, FieldIndexStopsAtTheOverflowFieldAndDropsItsBytes) {
    FramingHarness framing(delimited(2));
    framing.feed(std::string(60, ','));
    EXPECT_EQ(framing.State.FieldIndex, kOverflowField);
    framing.feed("lost\r");
    EXPECT_TRUE(std::holds_alternative<EmptyValue>(framing.Slots[kOverflowField]));
    EXPECT_EQ(framing.Records, (Records{{"", ""}}));
}

TEST(Overflow, FixedLengthOverflowCountsEachByteAsAField) {
    Settings settings = fixedLengths({1, 1}, 2);
    settings.RecordLength = 100; // longer than the fields: the rest runs through the overflow field
    FramingHarness framing(settings);
    framing.feed(std::string(99, 'x'));
    EXPECT_EQ(framing.State.FieldIndex, kOverflowField);
    EXPECT_EQ(framing.State.FieldCharCount, 0);
    EXPECT_TRUE(framing.Records.empty());
    framing.feed("x");
    EXPECT_EQ(framing.Records, (Records{{"x", "x"}}));
}

TEST(Overflow, ARecordWithoutItsEndIsCutAtTheLongestRecord) {
    const std::string stream(kMaxRecordBytes + 5, 'x');
    for (const bool runs : {true, false}) {
        FramingHarness framing(logSettings());
        runs ? framing.feed(stream) : framing.feedEachByte(stream);
        ASSERT_EQ(framing.Records.size(), 1u);
        EXPECT_EQ(framing.Records[0][0].size(), kMaxRecordBytes) << (runs ? "runs" : "bytes");
        EXPECT_EQ(framing.slot(1), "xxxxx");
    }
}

TEST(PreInput, IgnoredBytesVanishAndDoNotRestartTheGap) {
    Settings settings = logSettings();
    settings.EndOfRecordEvent = 1;
    settings.TimeBetweenRecords = 3;
    settings.PreInputTranslation['x'] = "Ignore";
    FramingHarness framing(settings);
    framing.feed("ab").idleTick().idleTick();
    framing.feed("x"); // ignored: the gap keeps counting
    framing.idleTick();
    EXPECT_EQ(framing.Records, (Records{{"ab"}}));
}

TEST(PreInput, ReplacementHappensBeforeTheStartAndEndTests) {
    Settings settings = logSettings();
    settings.StartOfRecordEvent = 2;
    settings.PreInputTranslation['O'] = "0";
    settings.PreInputTranslation[';'] = "\r";
    FramingHarness framing(settings);
    framing.feed("O5;");
    EXPECT_EQ(framing.Records, (Records{{"05\r"}}));
}

TEST(PreInput, VoidRecordByteVoidsTheRecordItArrivesInOrStarts) {
    Settings settings = logSettings();
    settings.PreInputTranslation['!'] = "Void Record";
    FramingHarness framing(settings);
    framing.feed("ab!c\r"); // inside a record
    framing.feed("!xy\r");  // starts one
    framing.feed("ok\r");
    EXPECT_EQ(framing.Records, (Records{{"<void>"}, {"<void>"}, {"ok\r"}}));
}

TEST(PreInput, VoidByteThatStartsNoRecordVoidsNothing) {
    Settings settings = logSettings();
    settings.StartOfRecordEvent = 2;
    settings.PreInputTranslation['!'] = "Void Record";
    FramingHarness framing(settings);
    framing.feed("!5\r");
    EXPECT_EQ(framing.Records, (Records{{"5\r"}}));
}

class TimeGap : public ::testing::Test {
protected:
    Settings gap(std::int16_t structure, int ticks) {
        Settings settings = structure == 2   ? fixedLengths({2, 2}, 1)
                            : structure == 1 ? delimited(2)
                                             : logSettings();
        settings.EndOfRecordEvent = 1;
        settings.TimeBetweenRecords = static_cast<std::int16_t>(ticks);
        return settings;
    }
};

TEST_F(TimeGap, SingleFieldEndsAfterExactlyTheConfiguredIdleTicks) {
    FramingHarness framing(gap(0, 3));
    framing.feed("a").idleTick().idleTick();
    framing.feed("b").idleTick().idleTick();
    EXPECT_TRUE(framing.Records.empty());
    framing.idleTick();
    EXPECT_EQ(framing.Records, (Records{{"ab"}}));
    framing.idleTick().idleTick().idleTick();
    EXPECT_EQ(framing.Records.size(), 1u) << "no record in progress, nothing more to end";
}

TEST_F(TimeGap, DelimitedDoesNotEndAtItsCarriageReturn) {
    FramingHarness framing(gap(1, 1));
    framing.feed("1,2\r3");
    EXPECT_TRUE(framing.Records.empty());
    framing.idleTick();
    EXPECT_EQ(framing.Records, (Records{{"1", "2\r3"}}));
}

TEST_F(TimeGap, FixedLengthEndsOnTheGapAndResetsItsCounters) {
    FramingHarness framing(gap(2, 2));
    framing.feed("ABC").idleTick().idleTick();
    EXPECT_EQ(framing.Records, (Records{{"AB", "C"}}));
    EXPECT_EQ(framing.State.FieldCharCount, 0);
    framing.feed("DEFG").idleTick().idleTick();
    EXPECT_EQ(framing.Records.back(), (std::vector<std::string>{"DE", "FG"}));
}

TEST(PrevWasSpace, FollowsTheByteAsTranslated) {
    Settings settings = delimited(3, " ");
    settings.PreInputTranslation['_'] = " ";
    FramingHarness framing(settings);
    framing.feed("a_ b c\r");
    EXPECT_EQ(framing.Records, (Records{{"a", "b", "c\r"}}));
}

// Runs of plain bytes framed at once must leave exactly what framing byte by byte leaves, whatever
// the settings and wherever the port's reads cut the stream.
TEST(PlainRuns, FrameExactlyAsByteByByte) {
    const std::vector<std::pair<const char*, std::function<Settings()>>> settings = {
        {"single field", logSettings},
        {"delimited", [] { return delimited(3); }},
        {"space delimited", [] { return delimited(3, " "); }},
        {"delimiter is the end", [] { return delimited(2, "\r"); }},
        {"one field, delimiter is data", [] { return delimited(1); }},
        {"end characters",
         [] {
             auto s = delimited(3);
             s.EndOfRecordEvent = 3;
             s.EndOfRecordChars = "\n;";
             return s;
         }},
        {"translated, ignored, void",
         [] {
             auto s = delimited(3);
             s.PreInputTranslation['_'] = " ";
             s.PreInputTranslation['x'] = "Ignore";
             s.PreInputTranslation['!'] = "Void Record";
             s.PreInputTranslation['\n'] = "Ignore";
             return s;
         }},
        {"filters, keystroke mode drops",
         [] {
             auto s = delimited(4);
             s.OutputMode = 0;
             s.FieldFilter[1] = "N";
             s.FieldFilter[2] = "I";
             s.FieldFilter[3] = "B";
             return s;
         }},
        {"numeric start",
         [] {
             auto s = delimited(2);
             s.StartOfRecordEvent = 2;
             return s;
         }},
    };
    const std::string alphabet = "ab1.-,,  __xx!\r\n;\x01\xff";
    std::mt19937 random(7);
    for (const auto& [name, make] : settings) {
        for (int round = 0; round < 50; ++round) {
            std::string stream(std::uniform_int_distribution<std::size_t>(0, 200)(random), ' ');
            for (char& c : stream)
                c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
            FramingHarness runs(make());
            FramingHarness bytes(make());
            for (std::size_t at = 0; at < stream.size();) {
                const std::size_t read = std::uniform_int_distribution<std::size_t>(1, 16)(random);
                runs.feed(std::string_view(stream).substr(at, read));
                at += read;
            }
            bytes.feedEachByte(stream);
            const auto state = [](const FramingHarness& f) {
                return std::tuple(f.State.InRecord, f.State.FieldIndex, f.State.PrevWasSpace,
                                  f.State.VoidPending, f.slot(1), f.slot(2), f.slot(3), f.slot(4));
            };
            ASSERT_EQ(runs.Records, bytes.Records) << name << ": " << EscapeBytes(stream);
            ASSERT_EQ(state(runs), state(bytes)) << name << ": " << EscapeBytes(stream);
        }
    }
}

} // namespace
} // namespace quorvane::test
