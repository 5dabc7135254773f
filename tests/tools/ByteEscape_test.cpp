// How received bytes are shown on the rx: lines.

#include <gtest/gtest.h>

#include "sim/ByteEscape.h"

namespace quorvane::sim {
namespace {

TEST(EscapeBytes, ControlBytesBecomeCEscapesAndTextStays) {
    EXPECT_EQ(escapeBytes("P\r\n"), "P\\r\\n");
    EXPECT_EQ(escapeBytes("a\tb"), "a\\tb");
    EXPECT_EQ(escapeBytes(std::string("\0\x1B\x7F\x80\xFF", 5)), "\\x00\\x1B\\x7F\\x80\\xFF");
    EXPECT_EQ(escapeBytes("back\\slash"), "back\\\\slash");
    EXPECT_EQ(escapeBytes(" ~ST,GS"), " ~ST,GS");
    EXPECT_EQ(escapeBytes(""), "");
}

} // namespace
} // namespace quorvane::sim
