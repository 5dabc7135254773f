// The settings listing printed by --dump.

#include <gtest/gtest.h>

#include "config/ConfigDump.h"
#include "config/ConfigTestSupport.h"

namespace quorvane {
namespace {

TEST(EscapeBytes, UsesCEscapesForControlAndHighBytes) {
    EXPECT_EQ(EscapeBytes(std::string("a\r\n\t\\b\0\x1b\x7f\xff ~", 12)),
              "a\\r\\n\\t\\\\b\\x00\\x1B\\x7F\\xFF ~");
}

TEST(DumpSettings, ListsEverySettingOnceInTableOrder) {
    Settings s = test::resetConfiguration();
    s.EndOfRecordChars = "\r\n";
    const std::string dump = DumpSettings(s);
    EXPECT_EQ(dump.substr(0, 24), "PortIndex=0\nBaudIndex=6\n");
    EXPECT_NE(dump.find("\nEndOfRecordChars=\\r\\n\n"), std::string::npos);
    EXPECT_NE(dump.find("\nFieldFilter[40]=C\nFieldLength[1]=0\n"), std::string::npos);
    EXPECT_NE(dump.find("\nKeystrokeTranslation[13]={ENTER}\n"), std::string::npos);
    EXPECT_NE(dump.find("\nPreInputTranslation[0]=\\x00\n"), std::string::npos);
    EXPECT_NE(dump.find("\nOutputStringName[7]=String7\n"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 16), "DateTimeFormat=\n");
    // 8 port, 9 record, 5*40+1 field, 512+2 tables, 19 output mode, 1+40+3 serial output,
    // 150 hot keys, 7 runtime options.
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 8 + 9 + 201 + 514 + 19 + 44 + 150 + 7);
}

} // namespace
} // namespace quorvane
