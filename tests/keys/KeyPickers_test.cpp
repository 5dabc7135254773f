// The key table and the results of the keystroke and hot key pickers for a row and modifiers.

#include <gtest/gtest.h>

#include "keys/KeyPickers.h"

namespace quorvane {
namespace {

struct KeystrokeCase {
    const char* Row;
    KeyModifiers Mods;
    const char* Result;
};

class KeystrokePick : public testing::TestWithParam<KeystrokeCase> {};

TEST_P(KeystrokePick, BuildsTheMacro) {
    EXPECT_EQ(KeystrokePickResult(GetParam().Row, GetParam().Mods), GetParam().Result);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeystrokePick,
                         testing::Values(KeystrokeCase{"F1", {false, true, false}, "^{F1}"},
                                         KeystrokeCase{"F5", {false, false, true}, "+{F5}"},
                                         KeystrokeCase{"a", {false, false, true}, "+a"},
                                         KeystrokeCase{"(", {}, "{(}"}, KeystrokeCase{"{", {}, "{{}"},
                                         KeystrokeCase{"~", {true, false, false}, "%{~}"},
                                         KeystrokeCase{"ENTER", {}, "{ENTER}"},
                                         KeystrokeCase{"SPACE", {}, " "},
                                         KeystrokeCase{"SPACE", {true, true, true}, "%^+ "},
                                         KeystrokeCase{"\xE9", {false, true, false}, "\xE9"},
                                         KeystrokeCase{"NUL", {true, false, false}, "NUL"},
                                         KeystrokeCase{"x", {true, true, true}, "%^+x"}));

TEST(KeystrokeRows, StartWithNulThenNamesFunctionKeysAndCharacters) {
    const auto rows = KeystrokeRows();
    ASSERT_EQ(rows.size(), 23u + 16 + 94 + 95);
    EXPECT_EQ(rows[0], "NUL");
    EXPECT_EQ(rows[16], "HELP");
    EXPECT_EQ(rows[23], "F1");
    EXPECT_EQ(rows[39], "!");
    EXPECT_EQ(rows.back(), "\xFF");
}

TEST(KeyTable, HoldsTheHundredKeysInPickerOrderWithTheirNames) {
    const auto& table = KeyTable();
    EXPECT_EQ(table[0].Name, "None");
    EXPECT_EQ(table[21].Name, "PRTSC");
    EXPECT_EQ(table[21].Code, 42);
    EXPECT_EQ(table[23].Code, 113);
    EXPECT_EQ(table[99].Name, "Z");
    EXPECT_EQ(KeyNameOfCode(220), "\\");
    EXPECT_EQ(KeyNameOfCode(105), "NumPad 9");
    EXPECT_EQ(KeyNameOfCode(44), "");
    EXPECT_EQ(KeyNameOfCode(226), "");
    for (const auto& k : table)
        EXPECT_EQ(KeyNameOfCode(k.Code), k.Name) << k.Name;
}

TEST(HotKeyPick, WritesModifiersAltCtrlShiftAndTheKeyWord) {
    EXPECT_EQ(HotKeyPickResult(23, {true, true, false}), (HotKeyPick{"ALT+CTRL+F2", 6 * 256 + 113}));
    EXPECT_EQ(HotKeyPickResult(99, {false, false, true}), (HotKeyPick{"SHIFT+Z", 256 + 90}));
    EXPECT_EQ(HotKeyPickResult(0, {}), (HotKeyPick{"None", 0}));
}

TEST(HotKeyText, ShowsTheFlagsAltCtrlShiftThenTheKeyName) {
    const std::pair<int, const char*> cases[] = {
        {3 * 256 + 65, "CTRL+SHIFT+A"},
        {6 * 256 + 113, "ALT+CTRL+F2"},
        {7 * 256 + 42, "ALT+CTRL+SHIFT+PRTSC"},
        {4 * 256 + 96, "ALT+NumPad 0"},
        {187, "="},
        {0, "None"},
    };
    for (auto [word, text] : cases)
        EXPECT_EQ(HotKeyText(static_cast<std::int16_t>(word)), text) << word;
}

} // namespace
} // namespace quorvane
