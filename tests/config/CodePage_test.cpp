// The code page conversion: every byte survives a trip through Unicode.

#include <gtest/gtest.h>

#include "config/CodePage.h"

namespace quorvane {
namespace {

TEST(CodePage, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToBytes(BytesToUtf8(all)), all);
}

TEST(CodePage, MapsWindows1252AndKeepsItsHolesAsC1Controls) {
    EXPECT_EQ(CodePointOfByte(0x80), U'\u20AC');
    EXPECT_EQ(CodePointOfByte(0x9F), U'\u0178');
    EXPECT_EQ(CodePointOfByte(0xE9), U'\u00E9');
    for (int hole : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(CodePointOfByte(static_cast<std::uint8_t>(hole)), static_cast<char32_t>(hole));
    EXPECT_EQ(BytesToUtf8("\x80 5"), "\xE2\x82\xAC 5");
    EXPECT_EQ(Utf8ToBytes("caf\xC3\xA9"), "caf\xE9");
}

TEST(CodePage, ReplacesWhatTheCodePageCannotHoldAndMalformedUtf8) {
    EXPECT_EQ(Utf8ToBytes("\xE2\x88\x9E"), "?");       // infinity sign
    EXPECT_EQ(Utf8ToBytes("a\xC3"), "a?");             // truncated sequence
    EXPECT_EQ(Utf8ToBytes("\xC0\xAFz"), "?z");         // overlong
    EXPECT_EQ(Utf8ToBytes("\xED\xA0\x80", '_'), "_");  // surrogate
    EXPECT_EQ(Utf8ToBytes("\xF0\x9F\x98\x80x"), "?x"); // outside the code page
}

} // namespace
} // namespace quorvane
