// The current file layout: what the writer puts on disk, that reading gives back what was written,
// and that damaged files are refused without touching the settings. Older layouts are in
// ConfigLegacyLayouts_test.cpp; file I/O and messages in ConfigFiles_test.cpp.

#include <gtest/gtest.h>

#include "config/ConfigFileFormat.h"
#include "config/ConfigTestSupport.h"

namespace quorvane {
namespace {

using test::resetConfiguration;

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string_view::npos; start = pos + 2)
        lines.emplace_back(text.substr(start, pos - start));
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

TEST(ConfigFileWriter, ResetConfigurationHas1461LinesThenEmptyTopicAndDelayOne) {
    const std::string file = EncodeConfigFile(resetConfiguration());
    const auto lines = splitLines(file);
    // All raw strings are empty, so the raw block adds nothing between line 1461 and the topic.
    ASSERT_EQ(lines.size(), 1463u);
    EXPECT_EQ(lines[0], "Quorvane Configuration File - Version 3.00");
    EXPECT_EQ(lines[1461], "");
    EXPECT_EQ(lines[1462], "1");
    EXPECT_EQ(file.substr(file.size() - 5), "\r\n1\r\n");
}

TEST(ConfigFileWriter, EncodesEachKindOfLineAsTheLayoutSays) {
    Settings s = resetConfiguration();
    s.PreInputTranslation[66] = "Void Record";
    s.PreInputTranslation[67] = "Ignore";
    s.AckString = "ACK";
    const auto lines = splitLines(EncodeConfigFile(s));
    EXPECT_EQ(lines[1], " 0 ");           // PortIndex
    EXPECT_EQ(lines[2], " 6 ");           // BaudIndex
    EXPECT_EQ(lines[17], " 44 ");         // FieldDelimiter "," as its code
    EXPECT_EQ(lines[20], "-1 ");          // ActivateTargetApp
    EXPECT_EQ(lines[21], "Excel");        // DdeCommandApp
    EXPECT_EQ(lines[24 + 13], "{ENTER}"); // KeystrokeTranslation[13]
    EXPECT_EQ(lines[280 + 65], " 65");    // pre-input "A": a blank and the code, no trailing blank
    EXPECT_EQ(lines[280 + 66], "Void Record");
    EXPECT_EQ(lines[280 + 67], "Ignore");
    EXPECT_EQ(lines[536 + 9], " 0 ");  // DdeTranslation[9]
    EXPECT_EQ(lines[792 + 9], " 9 ");  // LogTranslation[9]
    EXPECT_EQ(lines[1048], "String1"); // OutputStringName[1]
    EXPECT_EQ(lines[1049], "C");       // FieldFilter[1]
    EXPECT_EQ(lines[1198], "-1 ");     // StripBufferCrLf
    EXPECT_EQ(lines[1346], " 3 ");     // length of AckString
}

TEST(ConfigFileWriter, RawBlockFollowsItsOwnOrderNotTheOrderOfTheLengths) {
    Settings s = resetConfiguration();
    s.AckString = "A";
    s.TimerString = "T";
    s.RecordPreamble = "P";
    s.StartOfRecordChars = "S";
    s.EndOfRecordChars = "E";
    s.OutputString[1] = "o1";
    s.FieldPostamble[1] = "p1";
    s.FieldPostamble[21] = "p21";
    s.FieldPostamble[2] = "p2";
    s.HotKeyString[0] = "h0";
    s.HotKeyString[49] = "h49";
    const std::string file = EncodeConfigFile(s);
    const auto lines = splitLines(file);
    EXPECT_EQ(lines[1346], " 1 ");
    EXPECT_EQ(lines[1351], " 2 "); // OutputString[1]
    EXPECT_EQ(lines[1352], " 2 "); // FieldPostamble[1]
    EXPECT_EQ(lines[1353], " 3 "); // FieldPostamble[21]
    EXPECT_EQ(lines[1355], " 2 "); // FieldPostamble[2]
    EXPECT_EQ(lines[1461], "SEATPo1p1p2p21h0h49");
}

TEST(ConfigFileRoundTrip, RandomSettingsReadBackEqualAndRewriteByteForByte) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const Settings original = test::RandomSettings(seed).make();
        const std::string first = EncodeConfigFile(original);
        Settings read = resetConfiguration();
        const auto result = DecodeConfigFile(first, read);
        ASSERT_TRUE(result.ok()) << "seed " << seed << ": " << result.Problem;
        ASSERT_EQ(read, original) << "seed " << seed;
        ASSERT_EQ(EncodeConfigFile(read), first) << "seed " << seed;
    }
}

TEST(ConfigFileRoundTrip, PostambleWithCrLfAndNulComesBackUnchanged) {
    Settings s = resetConfiguration();
    s.FieldPostamble[3] = std::string("\r\n\0\x1b end\r\n", 10);
    s.StartOfRecordChars = "\x02";
    s.EndOfRecordChars = "\r\n";
    Settings read = resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(EncodeConfigFile(s), read).ok());
    EXPECT_EQ(read, s);
}

TEST(ConfigFileWriter, LeavesLineEndsOutOfTextLinesSoTheFileStaysReadable) {
    Settings s = resetConfiguration();
    s.TargetAppTitle = "Note\r\npad";
    s.DdeTopic = "Top\nic";
    Settings read = resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(EncodeConfigFile(s), read).ok());
    EXPECT_EQ(read.TargetAppTitle, "Notepad");
    EXPECT_EQ(read.DdeTopic, "Topic");
    EXPECT_EQ(read.KeystrokeDelay, 1);
}

TEST(ConfigFileReader, MissingTopicAndDelayLinesKeepTopicAndZeroTheDelay) {
    Settings s = resetConfiguration();
    s.FieldPostamble[40] = "end";
    std::string file = EncodeConfigFile(s);
    file.resize(file.size() - std::string("\r\n1\r\n").size()); // drop both last lines
    Settings read = resetConfiguration();
    read.DdeTopic = "Before";
    ASSERT_TRUE(DecodeConfigFile(file, read).ok());
    EXPECT_EQ(read.DdeTopic, "Before");
    EXPECT_EQ(read.KeystrokeDelay, 0);
    EXPECT_EQ(read.FieldPostamble[40], "end");

    std::string withTopicOnly = EncodeConfigFile(s);
    withTopicOnly.resize(withTopicOnly.size() - 3); // "1\r\n"
    ASSERT_TRUE(DecodeConfigFile(withTopicOnly, read).ok());
    EXPECT_EQ(read.DdeTopic, "");
    EXPECT_EQ(read.KeystrokeDelay, 0);
}

TEST(ConfigFileReader, GenericHeaderIsReadWithTheCurrentLayout) {
    Settings s = resetConfiguration();
    s.PortIndex = 4;
    std::string file = EncodeConfigFile(s);
    file.replace(0, kHeader3_00.size(), kHeaderGeneric);
    Settings read = resetConfiguration();
    const auto result = DecodeConfigFile(file, read);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.Layout, ConfigLayout::Generic);
    EXPECT_EQ(read.PortIndex, 4);
}

TEST(ConfigFileReader, AcceptsLfLineEndsAndBlanksAroundNumbers) {
    std::string file = EncodeConfigFile(resetConfiguration());
    std::string lf;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (!(file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n'))
            lf += file[i];
    }
    lf.replace(lf.find("\n 0 \n") + 1, 3, "   7\t"); // PortIndex
    Settings read = resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(lf, read).ok());
    EXPECT_EQ(read.PortIndex, 7);
}

TEST(ConfigFileReader, RefusesUnknownHeadersExactly) {
    Settings read = resetConfiguration();
    for (std::string header :
         {"", "quorvane configuration file", "Quorvane Configuration File ",
          "Quorvane Configuration File - Version 4.00", "\xEF\xBB\xBFQuorvane Configuration File"}) {
        const auto result = DecodeConfigFile(header + "\r\n 0 \r\n", read);
        EXPECT_EQ(result.Outcome, ConfigDecodeResult::Status::NotConfigFile) << header;
    }
    EXPECT_EQ(read, Settings(resetConfiguration()));
}

TEST(ConfigFileReader, EveryTruncationBeforeTheTailIsDamageAndLeavesSettingsAlone) {
    Settings s = test::RandomSettings(7).make();
    const std::string file = EncodeConfigFile(s);
    const std::size_t tail =
        file.size() - (s.DdeTopic.size() + 2) - (std::to_string(s.KeystrokeDelay).size() + 2);
    const Settings before = resetConfiguration();
    for (std::size_t cut = kHeader3_00.size() + 2; cut < tail; cut += 37) {
        Settings read = before;
        const auto result = DecodeConfigFile(std::string_view(file).substr(0, cut), read);
        ASSERT_EQ(result.Outcome, ConfigDecodeResult::Status::Damaged) << "cut at " << cut;
        ASSERT_FALSE(result.Problem.empty());
        ASSERT_EQ(read, before) << "cut at " << cut;
    }
}

struct DamagedLine {
    int Line; // 0-based line index in the file
    const char* Text;
    int ReportedLine = 0; // 1-based line named in the problem; 0: the damaged line itself
};

class ConfigFileDamagedItem : public testing::TestWithParam<DamagedLine> {};

TEST_P(ConfigFileDamagedItem, IsReportedWithItsLineAndChangesNothing) {
    auto lines = splitLines(EncodeConfigFile(resetConfiguration()));
    lines[static_cast<std::size_t>(GetParam().Line)] = GetParam().Text;
    std::string file;
    for (const auto& l : lines)
        file += l + "\r\n";
    Settings read = resetConfiguration();
    read.PortIndex = 9;
    const Settings before = read;
    const auto result = DecodeConfigFile(file, read);
    EXPECT_EQ(result.Outcome, ConfigDecodeResult::Status::Damaged);
    const int reported = GetParam().ReportedLine != 0 ? GetParam().ReportedLine : GetParam().Line + 1;
    EXPECT_NE(result.Problem.find("line " + std::to_string(reported) + ":"), std::string::npos)
        << result.Problem;
    EXPECT_EQ(read, before);
}

INSTANTIATE_TEST_SUITE_P(Items, ConfigFileDamagedItem,
                         testing::Values(DamagedLine{2, " six "},          // BaudIndex not a number
                                         DamagedLine{2, " 32768 "},        // out of 16 bits
                                         DamagedLine{7, " 2147483648 "},   // InputBufferSize out of 32 bits
                                         DamagedLine{17, " 256 "},         // FieldDelimiter code
                                         DamagedLine{17, " -1 "},          // FieldDelimiter code
                                         DamagedLine{280 + 65, "Ignored"}, // pre-input entry
                                         DamagedLine{280 + 65, " 300"},    // pre-input code
                                         DamagedLine{536, " x "},          // DDE code
                                         DamagedLine{1346, " -1 "},        // a negative length
                                         DamagedLine{1460, " 50 ",
                                                     1462})); // a length longer than what is left

TEST(ConfigFileReader, PeekPortIndexReadsTheFirstNumberAfterTheHeader) {
    Settings s = resetConfiguration();
    s.PortIndex = 254;
    EXPECT_EQ(PeekPortIndex(EncodeConfigFile(s)), 254);
    EXPECT_EQ(PeekPortIndex("Quorvane Configuration File\r\n\r\n  12 \r\n"), 12);
    EXPECT_EQ(PeekPortIndex("Quorvane Configuration File\r\nCOM1\r\n"), std::nullopt);
    EXPECT_EQ(PeekPortIndex("Some other file\r\n 3 \r\n"), std::nullopt);
}

} // namespace
} // namespace quorvane
