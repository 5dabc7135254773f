// The configuration summary of the setup window: each setting group shows what a technician must
// know, device text shows every byte, and settings a mode does not use stay out of it. The window
// that shows the text is tested with the setup window.

#include "config/ConfigSummary.h"

#include "ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace quorvane {
namespace {

struct SummaryCase {
    const char* Name;
    std::function<void(Configuration&, SummaryContext&)> Set;
    std::vector<std::string> Lines;  // each must be a whole line of the summary
    std::vector<std::string> Absent; // none may occur anywhere in it
};

class ConfigSummaryTest : public testing::TestWithParam<SummaryCase> {};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with a line feed";
    return lines;
}

TEST_P(ConfigSummaryTest, ShowsWhatTheConfigurationDoes) {
    Configuration config = test::resetConfiguration();
    SummaryContext context;
    GetParam().Set(config, context);
    const std::string text = ConfigSummary(config, context);
    const std::vector<std::string> lines = linesOf(text);
    for (const std::string& expected : GetParam().Lines)
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected << "\nin\n"
                                                                                << text;
    for (const std::string& absent : GetParam().Absent)
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\nin\n" << text;
}

const SummaryCase kCases[] = {
    {"Defaults",
     [](Configuration&, SummaryContext&) {},
     {"File: Untitled", "Port: COM1, 9600 baud, even parity, 7 data bits, 1 stop bit, no flow control",
      "Output: keystrokes to whatever window has the focus (never Quorvane's own), 1 ms between keystrokes",
      "Records: start at any character, end at a carriage return or CR LF", "Structure: a single field",
      "Field 1: no filter"},
     {"Hot key", "Output string", "Timed output", "Acknowledgement", "preamble", "Field 2"}},
    {"FileAndBoundDeviceForTheSession",
     [](Configuration& c, SummaryContext& x) {
         c.ConfigFileName = "/lab/scale.QV3";
         c.ConfigChanged = kTrue;
         c.PortIndex = 2;
         c.BaudIndex = 11;
         c.ParityIndex = 0;
         c.DataBitsIndex = 3;
         c.FlowControl = 2;
         x.DevicePath = "/dev/pts/7";
         x.SessionDevice = true;
     },
     {"File: scale.QV3 (/lab/scale.QV3), changed since it was loaded or saved",
      "Port: COM3 on /dev/pts/7 (bound for this session), 115200 baud, no parity, 8 data bits, 1 stop bit, "
      "hardware flow control"},
     {}},
    {"KeystrokeTargetAndCommand",
     [](Configuration& c, SummaryContext&) {
         c.TargetAppTitle = "Notes";
         c.TargetAppCommand = "xterm -T Notes";
         c.KeystrokeDelay = 20;
     },
     {"Output: keystrokes to the window titled \"Notes\", started with \"xterm -T Notes\" when it is "
      "missing, "
      "20 ms between keystrokes"},
     {}},
    {"DdeServerWithItsBusNamesAndNoPreambles",
     [](Configuration& c, SummaryContext&) {
         c.OutputMode = 1;
         c.DdeTopic = "Scale 1";
         c.DdeCommand = "[RUN(\"Weigh\")]";
         c.RecordPreamble = "{HOME}";
         c.FieldPostamble[1] = "{TAB}";
     },
     {"Output: DDE server, items on the session bus as org.quorvane.dde.quorvane.scale_201 (topic \"Scale "
      "1\")",
      "  After each record: \"[RUN(\"Weigh\")]\" to \"Excel|System\", bus name org.quorvane.dde.excel.system",
      "Field 1: no filter"},
     {"{HOME}", "{TAB}"}},
    {"LogFileAsAFullPath",
     [](Configuration& c, SummaryContext&) {
         c.OutputMode = 2;
         c.LogFileName = "logs/../weights.log";
     },
     {"Output: log to disk, appended to " + (std::filesystem::current_path() / "weights.log").string()},
     {"keystrokes"}},
    {"DelimitedRecordsWithControlBytesShown",
     [](Configuration& c, SummaryContext&) {
         c.StartOfRecordEvent = 3;
         c.StartOfRecordChars = "\x02";
         c.EndOfRecordEvent = 3;
         c.EndOfRecordChars = "\r\n";
         c.RecordStructure = 1;
         c.FieldCount = 3;
         c.FieldDelimiter = "\t";
         c.FieldFilter[2] = "N";
         c.FieldExpression[2] = "F2*1000";
         c.FieldFormat[2] = "0.0";
         c.FieldFilter[3] = "I";
         c.FieldPostamble[3] = "\\\x7F\xE9";
     },
     {"Records: start at \"\\x02\", end at \"\\r\\n\"", "Structure: 3 fields delimited by \"\\t\"",
      "Field 2: numeric data only, expression \"F2*1000\", format \"0.0\"",
      "Field 3: ignored, postamble \"\\\\\\x7F\xC3\xA9\""},
     {"Field 4"}},
    {"FixedLengthFieldsAndATimeGap",
     [](Configuration& c, SummaryContext&) {
         c.EndOfRecordEvent = 1;
         c.TimeBetweenRecords = 4;
         c.RecordStructure = 2;
         c.FieldCount = 2;
         c.FieldLength[1] = 5;
         c.FieldLength[2] = 3;
         c.FieldFilter[1] = "H";
         c.FieldFilter[2] = "Q";
     },
     {"Records: start at any character, end after a gap of 4 ticks (200 ms)",
      "Structure: 2 fixed-length fields", "Field 1: hex to decimal, length 5",
      "Field 2: filter \"Q\", length 3"},
     {}},
    {"SerialOutputTimerAndHotKeys",
     [](Configuration& c, SummaryContext& x) {
         c.OutputString[2] = "P\r\n";
         c.OutputStringName[2] = "Print";
         c.OutputString[5] = "T";
         c.AckString = "\x06";
         c.TimerInterval = 1000;
         c.TimerFlags = 1 + 2;
         c.TimerString = "SI\r\n";
         c.HotKey[0] = 0x0270;
         c.HotKeyAction[0] = 1;
         c.HotKeyString[0] = "Z\r";
         c.HotKey[1] = 0x0071;
         c.HotKeyAction[1] = 11;
         c.HotKey[2] = 0x0072; // no action: not in use
         x.HotKeyName = [](std::int16_t word) {
             return word == 0x0270 ? "CTRL+F1" : word == 0x0071 ? "F2" : "F3";
         };
     },
     {"Output string 2 (button \"Print\"): \"P\\r\\n\"", "Output string 5 (button \"String5\"): \"T\"",
      "Acknowledgement after each record: \"\\x06\"",
      "Timed output every 1000 ms: transmit \"SI\\r\\n\", on from the start",
      "Hot key CTRL+F1: Transmit String \"Z\\r\"", "Hot key F2: Suspend Quorvane"},
     {"Output string 1", "Hot key F3"}},
    {"TimerActionsWithoutAStringAndKeysWithoutNames",
     [](Configuration& c, SummaryContext&) {
         c.TimerInterval = 250;
         c.TimerFlags = 8;
         c.TimerString = "unused";
         c.HotKey[3] = 0x0441;
         c.HotKeyAction[3] = 2;
     },
     {"Timed output every 250 ms: issue a break, off until switched on",
      "Hot key &H0441: Issue BREAK Signal"},
     {"unused"}},
};

INSTANTIATE_TEST_SUITE_P(Settings, ConfigSummaryTest, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(LogFilePath, IsEmptyOutsideLogModeAndAbsoluteInIt) {
    Settings s;
    s.LogFileName = "/var/log/scale.log";
    EXPECT_EQ(LogFilePath(s), "");
    s.OutputMode = 2;
    EXPECT_EQ(LogFilePath(s), "/var/log/scale.log");
    s.LogFileName = "scale.log";
    EXPECT_EQ(LogFilePath(s), (std::filesystem::current_path() / "scale.log").string());
}

} // namespace
} // namespace quorvane
