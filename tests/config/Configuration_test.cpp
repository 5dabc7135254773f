// Defaults, the translation tables, derived values and the dialog limits with their messages.

#include <gtest/gtest.h>

#include "config/ConfigLimits.h"
#include "config/ConfigTestSupport.h"

namespace quorvane {
namespace {

TEST(ResetConfiguration, GivesTheDocumentedDefaults) {
    const Configuration c = test::resetConfiguration();
    EXPECT_EQ(c.OutputStringName[7], "String7");
    EXPECT_EQ(c.OutputStringName[20], "String20");
    EXPECT_EQ(c.FieldFilter[1], "C");
    EXPECT_EQ(c.FieldFilter[40], "C");
    EXPECT_EQ(c.ActivateTargetApp, kTrue);
    EXPECT_TRUE(c.TargetAppTitle.empty() && c.TargetAppCommand.empty());
    EXPECT_EQ(c.StripBufferCrLf, kTrue);
    EXPECT_EQ(c.BaudIndex, 6);
    EXPECT_EQ(c.ParityIndex, 2);
    EXPECT_EQ(c.DataBitsIndex, 2);
    EXPECT_EQ(c.InputBufferSize, 1024);
    EXPECT_EQ(c.OutputBufferSize, 512);
    EXPECT_EQ(c.TimeBetweenRecords, 3);
    EXPECT_EQ(c.FieldDelimiter, ",");
    EXPECT_EQ(c.FieldCount, 1);
    EXPECT_EQ(c.KeystrokeDelay, 1);
    EXPECT_EQ(c.DdeCommandApp, "Excel");
    EXPECT_EQ(c.DdeCommandTopic, "System");
    EXPECT_TRUE(c.DdeTopic.empty());
    EXPECT_NE(c.LogFileName.find("Quorvane.Log"), std::string::npos);
}

TEST(ResetConfiguration, ClearsTheStateFlagsButKeepsTheFileName) {
    Configuration c = test::resetConfiguration();
    c.ConfigFileName = "/tmp/a.QV3";
    c.ConfigLoaded = kTrue;
    c.ConfigChanged = kTrue;
    c.PortIndex = 3;
    c.KeystrokeTranslation[65] = "x";
    ResetConfiguration(c);
    EXPECT_EQ(c.ConfigFileName, "/tmp/a.QV3");
    EXPECT_EQ(c.ConfigLoaded, kFalse);
    EXPECT_EQ(c.ConfigChanged, kFalse);
    EXPECT_EQ(c.PortIndex, 0);
    EXPECT_EQ(c.KeystrokeTranslation[65], "A");
}

TEST(DefaultTables, KeystrokeTableNamesControlCodesAndEscapesMacroCharacters) {
    const CharTable t = DefaultKeystrokeTranslation();
    for (int c : {0, 7, 10, 31, 128, 141, 159})
        EXPECT_EQ(t[static_cast<std::size_t>(c)], "NUL") << c;
    EXPECT_EQ(t[8], "{BACKSPACE}");
    EXPECT_EQ(t[9], "{TAB}");
    EXPECT_EQ(t[13], "{ENTER}");
    EXPECT_EQ(t[32], " ");
    EXPECT_EQ(t[126], "{~}");
    EXPECT_EQ(t[127], "{DELETE}");
    EXPECT_EQ(t[160], " ");
    EXPECT_EQ(t[65], "A");
    EXPECT_EQ(t[255], "\xFF");
    EXPECT_EQ(t[37], "{%}");
    EXPECT_EQ(t[123], "{{}");
    EXPECT_EQ(t[125], "{}}");
}

TEST(DefaultTables, DdeTableZeroesControlCodesAndLogTableIsIdentity) {
    const std::string dde = DefaultDdeTranslation();
    const std::string log = DefaultLogTranslation();
    ASSERT_EQ(dde.size(), 256u);
    ASSERT_EQ(log.size(), 256u);
    EXPECT_EQ(dde[9], '\0');
    EXPECT_EQ(dde[31], '\0');
    EXPECT_EQ(dde[65], 'A');
    EXPECT_EQ(static_cast<unsigned char>(dde[255]), 255);
    for (int c = 0; c < 256; ++c)
        ASSERT_EQ(static_cast<unsigned char>(log[static_cast<std::size_t>(c)]), c);
    const CharTable pre = DefaultPreInputTranslation();
    EXPECT_EQ(pre[0], std::string(1, '\0'));
    EXPECT_EQ(pre[65], "A");
}

TEST(DerivedValues, PortNameBaudRateByteSize) {
    EXPECT_EQ(PortName(0), "COM1");
    EXPECT_EQ(PortName(11), "COM12");
    EXPECT_EQ(PortName(254), "COM255");
    EXPECT_EQ(BaudRate(0), 110);
    EXPECT_EQ(BaudRate(6), 9600);
    EXPECT_EQ(BaudRate(13), 256000);
    EXPECT_EQ(BaudRate(14), 9600);
    EXPECT_EQ(BaudRate(-1), 9600);
    EXPECT_EQ(ByteSize(3), 8);
}

TEST(DerivedValues, TargetFlagTimerFlagsAndHotKeys) {
    EXPECT_EQ(DerivedActivateTargetApp("", ""), kFalse);
    EXPECT_EQ(DerivedActivateTargetApp("Notepad", ""), kTrue);
    EXPECT_EQ(DerivedActivateTargetApp("", "xterm"), kTrue);
    EXPECT_EQ(TimerFlagsFromDialog(false, 0), 2);
    EXPECT_EQ(TimerFlagsFromDialog(true, 1), 5);
    EXPECT_EQ(TimerFlagsFromDialog(true, 2), 9);
    EXPECT_EQ(HotKeyRegistration(0x0374), (HotKeyBinding{0x74, kHotKeyShift | kHotKeyCtrl}));
    EXPECT_EQ(HotKeyRegistration(0x0441), (HotKeyBinding{0x41, kHotKeyAlt}));
    EXPECT_EQ(HotKeyRegistration(static_cast<std::int16_t>(0xFF20)), (HotKeyBinding{0x20, 7}));
}

struct LimitCase {
    const char* Name;
    std::optional<std::string> (*Check)(std::int64_t);
    std::int64_t Low;
    std::int64_t High;
    const char* Message;
};

TEST(DialogLimits, AcceptTheRangeAndRefuseJustOutsideWithTheExactMessage) {
    const LimitCase cases[] = {
        {"buffer", CheckBufferSize, 128, 131072, "Buffer Size Must Be Between 128 and 131072"},
        {"record length", CheckRecordLength, 1, 32766, "Record Length Must Be Between 1 and 32766"},
        {"fields", CheckDelimitedFieldCount, 2, 40, "Number of Fields Must Be Between 2 and 40"},
        {"field length", CheckFieldLength, 1, 32766, "Field length must be between 1 and 32766."},
        {"gap", CheckTimeBetweenRecords, 1, 255, "Time between records must range between 1 and 255"},
        {"timer", CheckTimerInterval, 0, 99999999,
         "Timer interval must be less than 100000000 milliseconds."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Check(c.Low), std::nullopt) << c.Name;
        EXPECT_EQ(c.Check(c.High), std::nullopt) << c.Name;
        EXPECT_EQ(c.Check(c.Low - 1), std::optional<std::string>(c.Message)) << c.Name;
        EXPECT_EQ(c.Check(c.High + 1), std::optional<std::string>(c.Message)) << c.Name;
    }
}

TEST(DialogLimits, FieldLengthsMustAddUpToTheRecordLengthForFixedCounts) {
    Settings s = test::resetConfiguration();
    s.EndOfRecordEvent = 2;
    s.RecordLength = 10;
    s.FieldCount = 2;
    s.FieldLength[1] = 4;
    s.FieldLength[2] = 5;
    s.FieldLength[3] = 1; // beyond FieldCount: not counted
    EXPECT_EQ(CheckFieldLengthSum(s),
              "Total sum of field lengths is not equal to the total record length. (10).");
    s.FieldLength[2] = 6;
    EXPECT_EQ(CheckFieldLengthSum(s), std::nullopt);
    s.EndOfRecordEvent = 0;
    s.FieldLength[2] = 1;
    EXPECT_EQ(CheckFieldLengthSum(s), std::nullopt);
}

TEST(DialogLimits, SpecialCharactersAndTopic) {
    EXPECT_EQ(CheckSpecialChars(3, ""), "Invalid Input - Special Character Must Be Specified!");
    EXPECT_EQ(CheckSpecialChars(3, "\x03"), std::nullopt);
    EXPECT_EQ(CheckSpecialChars(0, ""), std::nullopt);
    EXPECT_EQ(CheckDdeTopic("   "),
              "DDE Topic value cannot be blank.\rPlease enter the text that you want to use "
              "as the DDE Topic for Quorvane.");
    EXPECT_EQ(CheckDdeTopic(" Lab "), std::nullopt);
}

} // namespace
} // namespace quorvane
