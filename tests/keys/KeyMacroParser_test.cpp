// The macro parser: error codes, the key items of names, counts, groups and modifiers, and the item
// limit, and the cutting of long texts into pieces. What the items type, and in which event order, is covered
// in SendKeyMacro_test.cpp.

#include "fakes/FakeKeyboard.h"
#include "keys/KeyMacroParser.h"

#include <gtest/gtest.h>
#include <string>

namespace quorvane {
namespace {

const test::UsKeyLayout kUs;

struct ErrorCase {
    std::string Text;
    std::int16_t Error;
};

class ParseErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrors, reportTheirCode) {
    EXPECT_EQ(parseKeyMacro(GetParam().Text, kUs).Error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    KeyMacroParser, ParseErrors,
    testing::Values(ErrorCase{"ab{ENTER", 1}, ErrorCase{"{", 1}, ErrorCase{"{}", 1}, ErrorCase{"{LEFT 5", 1},
                    ErrorCase{"{BOGUS}", 2}, ErrorCase{"{ }", 2}, ErrorCase{"{F17}", 2}, ErrorCase{"{F0}", 2},
                    ErrorCase{"{NUMPAD10}", 2}, ErrorCase{"{BOGUS 0}", 2}, ErrorCase{"(a{BOGUS}b)", 2},
                    ErrorCase{"+(x{NO})", 2}, ErrorCase{"(ab", 3}, ErrorCase{"+(ab", 3},
                    ErrorCase{"((ab)", 3}, ErrorCase{"(a(b", 3}, ErrorCase{"(a+", 3},
                    ErrorCase{"{LEFT 0}", 4}, ErrorCase{"{ENTER }", 4}, ErrorCase{"{LEFT x}", 4},
                    ErrorCase{"{LEFT  5}", 4}, ErrorCase{"{LEFT 99999999999999999999999}", 5}));

struct ItemsCase {
    std::string Text;
    KeyItems Items;
};

class ParsedItems : public testing::TestWithParam<ItemsCase> {};

TEST_P(ParsedItems, areTheKeysOfTheText) {
    const ParsedKeyMacro parsed = parseKeyMacro(GetParam().Text, kUs);
    EXPECT_EQ(parsed.Error, keymacro::kOk);
    EXPECT_EQ(parsed.Items, GetParam().Items);
}

INSTANTIATE_TEST_SUITE_P(
    KeyMacroParser, ParsedItems,
    testing::Values(ItemsCase{"{LEFT 5}x", {37, 37, 37, 37, 37, 88}}, ItemsCase{"{a 3}", {65, 65, 65}},
                    ItemsCase{"{A 2}", {16, 65, 65, 16}}, ItemsCase{"{} 2}", {16, 221, 221, 16}},
                    ItemsCase{"{ENTER 2junk}", {13, 13}}, ItemsCase{"{enter}{Esc}{bksp}", {13, 27, 8}},
                    ItemsCase{"{F1}{f16}{NUMPAD0}{numpad9}", {112, 127, 96, 105}},
                    ItemsCase{"{PRTSC}{HELP}{BREAK}", {44, 47, 17}}, ItemsCase{"a)", {65, 16, 48, 16}},
                    ItemsCase{"+^%a", {16, 17, 18, 65, 18, 17, 16}}, ItemsCase{"z+", {90, 16, 16}},
                    ItemsCase{"+(a(b)c)", {16, 65, 66, 67, 16}}, ItemsCase{"\xC8", {16, vk::kNone, 16}}));

TEST(KeyMacroParser, acceptsExactlyTheItemLimit) {
    EXPECT_EQ(parseKeyMacro(std::string(kMaxKeyItems, 'a'), kUs).Error, keymacro::kOk);
    EXPECT_EQ(parseKeyMacro(std::string(kMaxKeyItems + 1, 'a'), kUs).Error, keymacro::kTooManyKeyItems);
    EXPECT_EQ(parseKeyMacro("{A 4094}", kUs).Error, keymacro::kOk);
    EXPECT_EQ(parseKeyMacro("{A 4095}", kUs).Error, keymacro::kTooManyKeyItems);
    EXPECT_EQ(parseKeyMacro(std::string(2048, 'A'), kUs).Error, keymacro::kTooManyKeyItems);
}

TEST(KeyMacroParser, splitsLongTextsBetweenTopLevelElementsOnly) {
    const std::string letters(kMaxKeyItems + 1, 'a');
    EXPECT_EQ(splitKeyMacro(letters, kUs).Pieces,
              (std::vector<std::string_view>{std::string_view(letters).substr(0, kMaxKeyItems), "a"}));
    const std::string group = "b+(" + std::string(kMaxKeyItems - 2, 'a') + ")";
    const std::string groupThenC = group + "c"; // the pieces view into the text
    const KeyMacroPieces groupPieces = splitKeyMacro(groupThenC, kUs);
    EXPECT_EQ(groupPieces.Pieces, (std::vector<std::string_view>{"b", group.substr(1), "c"}));
    EXPECT_EQ(splitKeyMacro("", kUs).Pieces, std::vector<std::string_view>{""});

    const KeyMacroPieces tooLong = splitKeyMacro("a{A 4095}", kUs);
    EXPECT_EQ(tooLong.Error, keymacro::kTooManyKeyItems);
    EXPECT_TRUE(tooLong.Pieces.empty());
    EXPECT_EQ(splitKeyMacro(letters + "{NOKEY}", kUs).Error, keymacro::kUnknownKeyName);
}

TEST(KeyMacroParser, notesTheFirstCharacterWithAGlyphThatNoKeyTypes) {
    struct Case {
        std::string Text;
        std::optional<unsigned char> Untypeable;
    };
    for (const Case& c : std::vector<Case>{{"abc{TAB}~", std::nullopt},
                                           {"a\xC8\xE9", 0xC8},
                                           {"+({\xE9 2})", 0xE9},
                                           {"\x01\x7F\x81\x9D", std::nullopt}, // no glyph: nothing to lose
                                           {"\xA0", 0xA0}}) {
        EXPECT_EQ(parseKeyMacro(c.Text, kUs).Untypeable, c.Untypeable) << c.Text;
        EXPECT_EQ(splitKeyMacro(c.Text, kUs).Untypeable, c.Untypeable) << c.Text;
    }
}

TEST(KeyMacroParser, nestsGroupsDeeperThanAnyCallStack) {
    const std::string deep = std::string(1'000'000, '(') + "a" + std::string(1'000'000, ')');
    const ParsedKeyMacro parsed = parseKeyMacro(deep, kUs);
    EXPECT_EQ(parsed.Error, keymacro::kOk);
    EXPECT_EQ(parsed.Items, KeyItems{65});
}

} // namespace
} // namespace quorvane
