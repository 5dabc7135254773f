// The port analyzer's guess of the record structure: the choice of delimiter, the four kinds of
// record, the field limit, the exact messages and what Yes writes. The window that asks is covered
// by the analyzer's widget tests.

#include <gtest/gtest.h>

#include "config/InputAnalysis.h"

namespace quorvane {
namespace {

struct AnalysisCase {
    const char* Name;
    std::string Received;
    const char* Message;
    std::int16_t EndOfRecordEvent;
    std::int16_t RecordStructure;
    std::int16_t FieldCount;
    std::int16_t RecordLength;
    std::optional<std::string> FieldDelimiter;
};

class InputAnalysisGuess : public testing::TestWithParam<AnalysisCase> {};

TEST_P(InputAnalysisGuess, NamesTheStructureAndTheSettingsToApply) {
    const AnalysisCase& c = GetParam();
    const auto a = AnalyzeInput(c.Received);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Message, c.Message);
    EXPECT_EQ(*a, (InputAnalysis{c.Message, c.EndOfRecordEvent, c.RecordStructure, c.FieldCount,
                                 c.RecordLength, c.FieldDelimiter}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputAnalysisGuess,
    testing::Values(
        AnalysisCase{"CommaRecords", "12.5,g,ST\r\n12.6,g,ST\r\n",
                     "Comma delimited records with  3 fields and Cr or CrLf at end of record.", 0, 1, 3, 10,
                     ","},
        AnalysisCase{"OneFieldWithCr", "12.5\r\n", "Single Field Records with Cr or CrLf at end of record.",
                     0, 0, 1, 5, std::nullopt},
        AnalysisCase{"SpaceRunCountsOnce", "12.5  g\r",
                     "Space delimited records with  2 fields and Cr or CrLf at end of record.", 0, 1, 2, 8,
                     " "},
        AnalysisCase{"SingleSpaces", "1 2 3\r",
                     "Space delimited records with  3 fields and Cr or CrLf at end of record.", 0, 1, 3, 6,
                     " "},
        AnalysisCase{"FixedLengthBeginsWithABlank", "A,B,C", " 5 byte fixed length records with  5 field(s).",
                     2, 2, 5, 5, std::nullopt},
        AnalysisCase{"OneFieldWithTimeGap", "12345", "Single Field Records with time delay between records.",
                     1, 0, 1, 5, std::nullopt},
        AnalysisCase{"CommaWinsOverMoreTabs", "a\tb\tc\td,e\r",
                     "Comma delimited records with  2 fields and Cr or CrLf at end of record.", 0, 1, 2, 10,
                     ","},
        AnalysisCase{"TabBeforeAsterisk", "a*b*c\td\r",
                     "Tab delimited records with  2 fields and Cr or CrLf at end of record.", 0, 1, 2, 8,
                     "\t"},
        AnalysisCase{"AsteriskAlone", "a*b\r",
                     "Asterisk delimited records with  2 fields and Cr or CrLf at end of record.", 0, 1, 2, 4,
                     "*"},
        AnalysisCase{"TwentySixDelimitedFieldsStay", std::string(25, ',') + "\r",
                     "Comma delimited records with  26 fields and Cr or CrLf at end of record.", 0, 1, 26, 26,
                     ","},
        AnalysisCase{"FiftyOneFixedFieldsBecomeForty", std::string(25, ','),
                     " 25 byte fixed length records with  40 field(s).", 2, 2, 40, 25, std::nullopt},
        AnalysisCase{"AfterTheFirstCrNothingCounts", "12\r3,4,5\r",
                     "Single Field Records with Cr or CrLf at end of record.", 0, 0, 1, 3, std::nullopt},
        AnalysisCase{"LineFeedsAreNotDelimiters", "\n12\n13\r",
                     "Single Field Records with Cr or CrLf at end of record.", 0, 0, 1, 7, std::nullopt},
        AnalysisCase{"RecordLengthHeldAtTheLimit", std::string(40000, 'x') + " y",
                     " 32766 byte fixed length records with  3 field(s).", 2, 2, 3, 32766, std::nullopt}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(InputAnalysisGuess, NothingReceivedGivesNoGuess) {
    EXPECT_FALSE(AnalyzeInput(""));
}

TEST(InputAnalysisApply, WritesTheGuessAndKeepsTheDelimiterOfOtherKinds) {
    for (const char* received : {"1;2;3\r", "a*b*c\r"}) {
        Configuration config;
        ResetConfiguration(config);
        config.FieldDelimiter = ";";
        config.FieldLength[1] = 7;
        const InputAnalysis a = *AnalyzeInput(received);
        ApplyInputAnalysis(a, config);
        EXPECT_EQ(config.EndOfRecordEvent, a.EndOfRecordEvent) << received;
        EXPECT_EQ(config.RecordStructure, a.RecordStructure) << received;
        EXPECT_EQ(config.FieldCount, a.FieldCount) << received;
        EXPECT_EQ(config.RecordLength, a.RecordLength) << received;
        EXPECT_EQ(config.FieldDelimiter, a.FieldDelimiter.value_or(";")) << received;
        EXPECT_EQ(config.FieldLength[1], 7) << received;
        EXPECT_TRUE(isSet(config.ConfigChanged)) << received;
    }
    EXPECT_EQ(
        InputAnalysisQuestion(*AnalyzeInput("1\r")),
        "Single Field Records with Cr or CrLf at end of record.\r\rConfigure Quorvane Using these Settings?");
}

TEST(PortAnalyzeCaption, NamesThePortAndItsSettingsAsThePortDialogDoes) {
    Settings s;
    EXPECT_EQ(PortAnalyzeCaption(s), "Port Analyze - COM1:9600,Even,Seven,1");
    s.PortIndex = 11;
    s.BaudIndex = 13;
    s.ParityIndex = 0;
    s.DataBitsIndex = 3;
    s.StopBitsIndex = 1;
    EXPECT_EQ(PortAnalyzeCaption(s), "Port Analyze - COM12:256000,None,Eight,1.5");
}

} // namespace
} // namespace quorvane
