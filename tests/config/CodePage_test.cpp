// The code page conversion: every byte survives a trip through Unicode.

#include <gtest/gtest.h>

#include "config/CodePage.h"
#include "config/DisplayText.h"

#include <set>

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

// The display form: every byte a visible character, NUL as the character of code 255, and text that
// comes back from the screen reads as the bytes it shows.
TEST(DisplayText, ShowsControlBytesAsTheirSignsAndReadsTheSignsBack) {
    EXPECT_EQ(DisplayCodePoint(0), U'\u00FF');
    EXPECT_EQ(DisplayCodePoint(1), U'\u2401');
    EXPECT_EQ(DisplayCodePoint(13), U'\u240D');
    EXPECT_EQ(DisplayCodePoint(31), U'\u241F');
    EXPECT_EQ(DisplayCodePoint(127), U'\u2421');
    EXPECT_EQ(DisplayCodePoint(32), U' ');
    EXPECT_EQ(DisplayCodePoint(0x80), U'\u20AC');
    EXPECT_EQ(BytesToDisplayUtf8(std::string("a\0\r\n\x7f\xe9", 6)),
              "a\xC3\xBF\xE2\x90\x8D\xE2\x90\x8A\xE2\x90\xA1\xC3\xA9");
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(DisplayUtf8ToBytes(BytesToDisplayUtf8(all)), all);
    EXPECT_EQ(DisplayUtf8ToBytes("\xE2\x90\x80|\xE2\x90\xA0|\xE2\x90\xA2"), std::string("\0|?|?", 5));
}

// No byte but NUL shows as a control character of Unicode (C0, DEL, C1, drawn as nothing), and no
// two bytes show alike; the unassigned five are circled digits in code order.
TEST(DisplayText, GivesEveryByteAVisibleCharacterOfItsOwn) {
    const auto utf8 = [](char32_t c) {
        const auto byte = [](char32_t v) { return static_cast<char>(v); };
        if (c < 0x80)
            return std::string(1, byte(c));
        if (c < 0x800)
            return std::string{byte(0xC0 | (c >> 6)), byte(0x80 | (c & 0x3F))};
        return std::string{byte(0xE0 | (c >> 12)), byte(0x80 | ((c >> 6) & 0x3F)), byte(0x80 | (c & 0x3F))};
    };
    std::set<char32_t> shown;
    for (int b = 1; b < 256; ++b) {
        const char32_t c = DisplayCodePoint(static_cast<std::uint8_t>(b));
        EXPECT_FALSE(c < 0x20 || (c >= 0x7F && c < 0xA0)) << b;
        EXPECT_TRUE(shown.insert(c).second) << b;
        EXPECT_EQ(BytesToDisplayUtf8(std::string(1, static_cast<char>(b))), utf8(c)) << b;
    }
    EXPECT_EQ(BytesToDisplayUtf8("\x81\x8D\x8F\x90\x9D"), "\u2460\u2461\u2462\u2463\u2464");
}

} // namespace
} // namespace quorvane
