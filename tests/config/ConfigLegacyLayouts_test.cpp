// Reading the 1.1 and 2.00 layouts from files built by hand from those layouts. The messages and
// flags that go with an older file are tested through ConfigFiles in ConfigFiles_test.cpp.

#include <gtest/gtest.h>

#include "config/ConfigTestSupport.h"
#include "config/LegacyFileBuilder.h"

namespace quorvane {
namespace {

Settings sample() {
    Settings s = test::resetConfiguration();
    s.PortIndex = 2;
    s.BaudIndex = 8;
    s.InputBufferSize = 4096;
    s.OutputBufferSize = 2048;
    s.StartOfRecordEvent = 3;
    s.EndOfRecordEvent = 3;
    s.FieldCount = 3;
    s.RecordStructure = 1;
    s.FieldDelimiter = ";";
    s.TargetAppTitle = "Untitled - Notepad";
    s.DdeCommand = "[RUN(\"Macro1\")]";
    s.KeystrokeTranslation[65] = "a";
    s.PreInputTranslation[10] = "Ignore";
    s.PreInputTranslation[27] = "Void Record";
    s.PreInputTranslation[66] = "b";
    s.DdeTranslation[65] = 'Z';
    s.LogTranslation[13] = '\n';
    s.AckString = "\x06";
    s.TimerString = "  P\r\n"; // leading blanks and a line end inside a counted string
    s.TimerInterval = 99999999;
    s.TimerFlags = 3;
    s.RecordPreamble = "PRE";
    for (std::size_t i = 1; i <= 20; ++i) {
        s.OutputStringName[i] = "Button " + std::to_string(i);
        s.OutputString[i] = "S" + std::to_string(i) + "\r";
    }
    s.FieldFilter[2] = "N";
    s.FieldFilter[22] = "H";
    s.FieldLength[21] = 12;
    s.FieldFormat[1] = "0.00";
    s.FieldFormat[21] = "Standard";
    s.FieldPostamble[1] = "{TAB}";
    s.FieldPostamble[3] = "{ENTER}";
    s.LogFileName = "/var/log/balance.log";
    s.StripBufferCrLf = kFalse;
    s.DateTimeFormat = "yyyy-mm-dd";
    s.ShowDateTime = kTrue;
    s.ButtonFlags = 3;
    s.StartOfRecordChars = "\x02";
    s.EndOfRecordChars = "\x03\r\n";
    s.DdeTopic = "Balance";
    s.KeystrokeDelay = 25;
    return s;
}

TEST(Layout2_00, ReadsEveryItemAndShiftsTheButtonCaptionsDownOnePlace) {
    const Settings s = sample();
    Settings read = test::resetConfiguration();
    read.OutputStringName[20] = "kept";
    const auto result = DecodeConfigFile(test::make2_00File(s), read);
    ASSERT_TRUE(result.ok()) << result.Problem;
    EXPECT_EQ(result.Layout, ConfigLayout::V2_00);
    EXPECT_EQ(read.OutputStringName[0], "Button 1");
    EXPECT_EQ(read.OutputStringName[19], "Button 20");
    EXPECT_EQ(read.OutputStringName[20], "kept");

    // Apart from the captions, everything comes back.
    Settings expected = s;
    for (std::size_t i = 0; i < 20; ++i)
        expected.OutputStringName[i] = s.OutputStringName[i + 1];
    expected.OutputStringName[20] = "kept";
    EXPECT_EQ(read, expected);
}

TEST(Layout2_00, MayEndBeforeTheTopicAndDelayLines) {
    Settings read = test::resetConfiguration();
    read.DdeTopic = "Earlier";
    ASSERT_TRUE(DecodeConfigFile(test::make2_00File(sample(), false), read).ok());
    EXPECT_EQ(read.DdeTopic, "Earlier");
    EXPECT_EQ(read.KeystrokeDelay, 0);
    EXPECT_EQ(read.EndOfRecordChars, "\x03\r\n");
}

TEST(Layout2_00, RoundTripsRandomSettingsApartFromTheCaptions) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Settings s = test::RandomSettings(seed).make();
        Settings read = test::resetConfiguration();
        const auto result = DecodeConfigFile(test::make2_00File(s), read);
        ASSERT_TRUE(result.ok()) << "seed " << seed << ": " << result.Problem;
        for (std::size_t i = 0; i < 20; ++i)
            s.OutputStringName[i] = s.OutputStringName[i + 1];
        // What the layout does not hold keeps the values from before the read.
        const Settings defaults = test::resetConfiguration();
        s.OutputStringName[20] = defaults.OutputStringName[20];
        s.FieldExpression = defaults.FieldExpression;
        s.HotKey = defaults.HotKey;
        s.HotKeyAction = defaults.HotKeyAction;
        s.HotKeyString = defaults.HotKeyString;
        s.StartSuspended = defaults.StartSuspended;
        s.AlwaysOnTop = defaults.AlwaysOnTop;
        ASSERT_EQ(read, s) << "seed " << seed;
    }
}

TEST(OlderLayouts, CountedStringsWithTheirCountOnItsOwnLineAreReadToo) {
    const Settings s = sample();
    for (const auto& [blankAfterCount, countOnItsOwnLine] :
         {std::pair{test::make2_00File(s), test::make2_00File(s, true, true)},
          std::pair{test::make1_1File(s, "note"), test::make1_1File(s, "note", true)}}) {
        Settings expected = test::resetConfiguration();
        Settings read = test::resetConfiguration();
        ASSERT_TRUE(DecodeConfigFile(blankAfterCount, expected).ok());
        const auto result = DecodeConfigFile(countOnItsOwnLine, read);
        ASSERT_TRUE(result.ok()) << result.Problem;
        EXPECT_EQ(read, expected);
        EXPECT_EQ(read.TimerString, "  P\r\n");
    }
}

TEST(Layout1_1, ReadsItsItemsAndKeepsWhatItDoesNotHold) {
    const Settings s = sample();
    Settings read = test::resetConfiguration();
    read.OutputBufferSize = 777;
    read.StartOfRecordEvent = 2;
    read.FieldFormat[1] = "kept";
    read.DdeTopic = "kept";
    const auto result = DecodeConfigFile(test::make1_1File(s), read);
    ASSERT_TRUE(result.ok()) << result.Problem;
    EXPECT_EQ(result.Layout, ConfigLayout::V1_1);
    EXPECT_FALSE(result.Note.has_value());
    EXPECT_EQ(read.PortIndex, 2);
    EXPECT_EQ(read.InputBufferSize, 4096);
    EXPECT_EQ(read.OutputBufferSize, 777);
    EXPECT_EQ(read.StartOfRecordEvent, 2);
    EXPECT_EQ(read.FieldDelimiter, ";");
    EXPECT_EQ(read.KeystrokeTranslation[65], "a");
    EXPECT_EQ(read.AckString, "\x06");
    EXPECT_EQ(read.RecordPreamble, "PRE");
    EXPECT_EQ(read.OutputStringName[1], "Button 1");
    EXPECT_EQ(read.OutputString[20], "S20\r");
    EXPECT_EQ(read.FieldFilter[22], "H");
    EXPECT_EQ(read.FieldLength[21], 12);
    EXPECT_EQ(read.FieldPostamble[3], "{ENTER}");
    EXPECT_EQ(read.FieldFormat[1], "kept");
    EXPECT_EQ(read.TimerString, "  P\r\n");
    EXPECT_EQ(read.TimerInterval, 99999999);
    EXPECT_EQ(read.ButtonFlags, 3);
    EXPECT_EQ(read.DdeTopic, "kept");
    EXPECT_EQ(read.DdeCommand, s.DdeCommand); // not in DDE mode: untouched
}

TEST(Layout1_1, InDdeModeTheLastNonEmptyPostambleOfTheUsedFieldsBecomesTheCommand) {
    Settings s = sample();
    s.OutputMode = 1;
    s.FieldCount = 3;
    s.FieldPostamble[1] = "[first]";
    s.FieldPostamble[2] = "";
    s.FieldPostamble[3] = "[third]";
    s.FieldPostamble[4] = "[beyond FieldCount]";
    Settings read = test::resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(test::make1_1File(s), read).ok());
    EXPECT_EQ(read.DdeCommand, "[third]");

    s.FieldPostamble[1] = s.FieldPostamble[3] = "";
    ASSERT_TRUE(DecodeConfigFile(test::make1_1File(s), read).ok());
    EXPECT_EQ(read.DdeCommand, s.DdeCommand);
}

TEST(Layout1_1, HandsBackTheNoteThatFollowsTheItems) {
    Settings read = test::resetConfiguration();
    const auto result = DecodeConfigFile(test::make1_1File(sample(), "Calibrated 1996-04-02"), read);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.Note, "Calibrated 1996-04-02");
}

TEST(Layout1_1, TruncatedFileIsDamagedAndChangesNothing) {
    const std::string file = test::make1_1File(sample());
    const Settings before = test::resetConfiguration();
    for (std::size_t cut = kHeader1_1.size() + 2; cut < file.size() - 4; cut += 53) {
        Settings read = before;
        ASSERT_FALSE(DecodeConfigFile(std::string_view(file).substr(0, cut), read).ok()) << cut;
        ASSERT_EQ(read, before);
    }
}

} // namespace
} // namespace quorvane
