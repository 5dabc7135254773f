// The rules the record structure dialogs and the field editor store by: limits of the digit boxes,
// the structure rules, the sum of field lengths, the next-field rule and the commit of the working
// copy. The dialogs that call them are covered by the setup widget tests.

#include <gtest/gtest.h>

#include "config/FieldDefinitions.h"
#include "config/RecordRules.h"

#include <optional>
#include <tuple>

namespace quorvane {
namespace {

Configuration fresh() {
    Configuration c;
    ResetConfiguration(c);
    return c;
}

struct LimitCase {
    const char* Dialog;
    const char* Text;
    bool Accepted;
};

class DigitBoxLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(DigitBoxLimits, AcceptOrRefuseWithTheDialogsMessage) {
    const LimitCase& c = GetParam();
    Configuration config = fresh();
    const std::string dialog = c.Dialog;
    std::optional<std::string> refused;
    if (dialog == "Delim")
        refused = StoreDelimitedRecord(config, ';', c.Text);
    else if (dialog == "Fixed")
        refused = StoreFixedRecordLength(config, c.Text);
    else
        refused = StoreTimeBetweenRecords(config, c.Text);
    EXPECT_EQ(!refused.has_value(), c.Accepted) << dialog << " " << c.Text;
    if (!c.Accepted) {
        EXPECT_EQ(config, fresh()) << "nothing stored";
    }
}

INSTANTIATE_TEST_SUITE_P(Boxes, DigitBoxLimits,
                         testing::Values(LimitCase{"Delim", "2", true}, LimitCase{"Delim", "40", true},
                                         LimitCase{"Delim", "1", false}, LimitCase{"Delim", "41", false},
                                         LimitCase{"Delim", "", false}, LimitCase{"Fixed", "32766", true},
                                         LimitCase{"Fixed", "32767", false}, LimitCase{"Fixed", "0", false},
                                         LimitCase{"Fixed", "99999999999999999999", false},
                                         LimitCase{"Timed", "255", true}, LimitCase{"Timed", "256", false},
                                         LimitCase{"Timed", "0", false}, LimitCase{"Timed", "12x", true}),
                         [](const auto& p) {
                             return std::string(p.param.Dialog) + "_" + std::to_string(p.index);
                         });

TEST(RecordStructureRules, EndEventTwoMakesFortyFixedFieldsAndOtherStructuresClearLengths) {
    Configuration c = fresh();
    StoreRecordEvents(c, {0, "", 2, ""});
    EXPECT_EQ(c.RecordStructure, 2);
    EXPECT_EQ(c.FieldCount, 40);
    EXPECT_TRUE(isSet(c.ConfigChanged));

    c.FieldLength[7] = 3;
    StoreRecordStructure(c, 0);
    EXPECT_EQ(c.FieldCount, 1);
    EXPECT_EQ(c.FieldLength[7], 0);

    c.FieldLength[7] = 3;
    ASSERT_EQ(StoreDelimitedRecord(c, 0, "5"), std::nullopt);
    EXPECT_EQ(c.FieldDelimiter, std::string(1, '\0'));
    EXPECT_EQ(c.FieldCount, 5);
    EXPECT_EQ(c.FieldLength[7], 0);
}

TEST(RecordEventChecks, EmptySpecialCharactersAreRefusedStartFirst) {
    EXPECT_EQ(CheckRecordEvents({3, std::string(1, '\0'), 0, ""}), std::nullopt);
    const auto start = CheckRecordEvents({3, "", 3, ""});
    ASSERT_TRUE(start);
    EXPECT_EQ(start->Title, "Invalid Start of Record Event");
    EXPECT_EQ(start->Box, 1);
    const auto end = CheckRecordEvents({0, "", 3, ""});
    ASSERT_TRUE(end);
    EXPECT_EQ(end->Message, "Invalid Input - Special Character Must Be Specified!");
    EXPECT_EQ(end->Title, "Invalid End of Record Event");
    EXPECT_EQ(end->Box, 2);
}

Configuration fixedRecord(int recordLength, std::initializer_list<int> lengths) {
    Configuration c = fresh();
    StoreRecordEvents(c, {0, "", 2, ""});
    c.RecordLength = static_cast<std::int16_t>(recordLength);
    int i = 1;
    for (int l : lengths)
        c.FieldLength[static_cast<std::size_t>(i++)] = static_cast<std::int16_t>(l);
    return c;
}

TEST(FieldEditorRules, NextFieldOnlyWhileTheRecordIsNotFilled) {
    Configuration c = fixedRecord(10, {10});
    FieldWorkingCopy copy = LoadFieldWorkingCopy(c);
    EXPECT_FALSE(FixedRecordNextEnabled(c, copy, 1));
    copy.Length[1] = 4;
    EXPECT_TRUE(FixedRecordNextEnabled(c, copy, 1));
    copy.Length[1] = 10;
    copy.Length[2] = 1;
    EXPECT_TRUE(FixedRecordNextEnabled(c, copy, 1)) << "field 2 already defined";
    EXPECT_FALSE(FixedRecordNextEnabled(c, copy, 40));
}

TEST(FieldEditorRules, SumIsCappedAndTheLengthBoxStoresOnlyForFixedLayouts) {
    FieldWorkingCopy copy;
    copy.Length[1] = 32000;
    copy.Length[2] = 32000;
    EXPECT_EQ(SumOfFieldLengths(copy), 32767);

    const Configuration fixed = fixedRecord(10, {});
    EXPECT_EQ(FieldLengthTyped(fixed, "4000").Store, 4000);
    const FieldLengthChange tooLong = FieldLengthTyped(fixed, "40000");
    EXPECT_EQ(tooLong.Store, std::nullopt);
    EXPECT_EQ(tooLong.Refusal, "Field length must be between 1 and 32766.");
    EXPECT_EQ(FieldLengthTyped(fresh(), "12").Store, std::nullopt);
}

TEST(FieldEditorRules, CommitChecksTheSumAndCountsFixedFields) {
    Configuration c = fixedRecord(10, {});
    FieldWorkingCopy copy = LoadFieldWorkingCopy(c);
    copy.Length[1] = 4;
    copy.Length[2] = 4;
    const Configuration before = c;
    EXPECT_EQ(CommitFieldDefinitions(c, copy, "pre"),
              "Total sum of field lengths is not equal to the total record length. ( 10).");
    EXPECT_EQ(c, before);

    c.EndOfRecordEvent = 0;
    copy.Length = {0, 5, 3, 0, 7};
    copy.Postamble[2] = std::string("\0\r", 2);
    c.ConfigChanged = kFalse;
    EXPECT_EQ(CommitFieldDefinitions(c, copy, "pre"), std::nullopt);
    EXPECT_EQ(c.FieldCount, 2);
    EXPECT_EQ(c.FieldLength[4], 7);
    EXPECT_EQ(c.FieldPostamble[2], std::string("\0\r", 2));
    EXPECT_EQ(c.RecordPreamble, "pre");
    EXPECT_TRUE(isSet(c.ConfigChanged));

    // A first field without a length still leaves the record one field.
    copy.Length = {};
    EXPECT_EQ(CommitFieldDefinitions(c, copy, "pre"), std::nullopt);
    EXPECT_EQ(c.FieldCount, 1);
}

TEST(FieldEditorRules, EveryFilterCodeHasACaptionAndOnlyTheListedOnesAnEntry) {
    const std::tuple<const char*, std::optional<int>, const char*> codes[] = {
        {"C", 0, "None (No Filter)"},
        {"I", 1, "Ignore This Field"},
        {"N", 2, "Numeric Data Only"},
        {"H", std::nullopt, "Hex To Decimal"},
        {"O", std::nullopt, "Octal To Decimal"},
        {"B", std::nullopt, "Binary To Hex"},
        {"h", std::nullopt, "Filter h"},
        {"", std::nullopt, "Filter "},
        {"CI", std::nullopt, "Filter CI"}};
    for (const auto& [code, index, caption] : codes) {
        EXPECT_EQ(FilterListIndex(code), index) << code;
        EXPECT_EQ(FilterCaption(code), caption) << code;
    }
}

} // namespace
} // namespace quorvane
