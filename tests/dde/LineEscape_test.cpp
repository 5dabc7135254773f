// The escapes of quorvane-dde's lines: every byte survives a round trip, and lines stay one line.

#include <gtest/gtest.h>

#include "dde/LineEscape.h"

namespace quorvane::dde {
namespace {

TEST(LineEscape, ControlCharactersAndBackslashesRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string line = escapeLine(all);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_EQ(unescapeLine(line), all);
    EXPECT_EQ(escapeLine("5\r\n"), "5\\r\\n");
    EXPECT_EQ(escapeLine("a\\b\x01"), "a\\\\b\\x01");
}

TEST(LineEscape, UnknownAndCutEscapesStandForThemselves) {
    EXPECT_EQ(unescapeLine("\\q"), "\\q");
    EXPECT_EQ(unescapeLine("end\\"), "end\\");
    EXPECT_EQ(unescapeLine("\\x4"), "\\x4");
    EXPECT_EQ(unescapeLine("\\xzz"), "\\xzz");
    EXPECT_EQ(unescapeLine("\\x41\\t"), "A\t");
}

} // namespace
} // namespace quorvane::dde
