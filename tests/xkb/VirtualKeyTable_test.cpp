// The virtual-key and code-page tables of the X11 layer: every key a macro text can name, every
// key of a hot key or key word, and every character of the code page has an X symbol, so that
// nothing typed is dropped for want of one. Which keycode carries a symbol is the Xvfb tests' part.

#include <gtest/gtest.h>

#include <algorithm>

#include "config/CodePage.h"
#include "keys/KeyNames.h"
#include "platform/xkb/VirtualKeyTable.h"

namespace quorvane {
namespace {

TEST(VirtualKeyTable, EveryKeyNameOfTheMacroLanguageHasAKeysym) {
    std::vector<std::string> names{"CAPSLOCK", "NUMLOCK", "SCROLLOCK", "ESCAPE", "ESC",       "ENTER", "HELP",
                                   "PRTSC",    "TAB",     "BREAK",     "CLEAR",  "BACKSPACE", "BS",    "BKSP",
                                   "DELETE",   "DEL",     "INSERT",    "LEFT",   "RIGHT",     "UP",    "DOWN",
                                   "PGUP",     "PGDN",    "HOME",      "END"};
    for (int i = 1; i <= 16; ++i)
        names.push_back("F" + std::to_string(i));
    for (int i = 0; i <= 9; ++i)
        names.push_back("NUMPAD" + std::to_string(i));
    for (const auto& name : names) {
        const auto code = keyCodeOfName(name);
        ASSERT_TRUE(code.has_value()) << name;
        EXPECT_NE(keysymOfVirtualKey(*code), kNoKeysym) << name << " = " << *code;
    }
}

TEST(VirtualKeyTable, KeysOfAPcKeyboardHaveKeysymsAndOthersNone) {
    std::vector<std::uint16_t> codes{3,   8,   9,   12,  13,  16,  17,  18,  19,  20,  27,  32,  33,
                                     34,  35,  36,  37,  38,  39,  40,  44,  45,  46,  144, 145, 186,
                                     187, 188, 189, 190, 191, 192, 219, 220, 221, 222, 226};
    for (std::uint16_t c = '0'; c <= '9'; ++c)
        codes.push_back(c);
    for (std::uint16_t c = 'A'; c <= 'Z'; ++c)
        codes.push_back(c);
    for (std::uint16_t c = 96; c <= 135; ++c) // numeric keypad, F1..F24
        codes.push_back(c);
    for (std::uint16_t code : codes)
        EXPECT_NE(keysymOfVirtualKey(code), kNoKeysym) << code;
    // Letters map to their level-0 (lower-case) symbol, so the keymap lookup finds the plain key.
    EXPECT_EQ(keysymOfVirtualKey('Q'), keysymOfByte('q'));
    EXPECT_EQ(keysymOfVirtualKey(0), kNoKeysym);
    EXPECT_EQ(keysymOfVirtualKey(255), kNoKeysym);
}

TEST(VirtualKeyTable, EveryPrintableByteOfTheCodePageHasItsOwnKeysym) {
    std::vector<Keysym> seen;
    for (int b = 0x20; b <= 0xFF; ++b) {
        const char32_t cp = CodePointOfByte(static_cast<std::uint8_t>(b));
        const Keysym keysym = keysymOfByte(static_cast<unsigned char>(b));
        if (b == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
            EXPECT_EQ(keysym, kNoKeysym) << b; // delete and the unassigned bytes type nothing
            continue;
        }
        ASSERT_NE(keysym, kNoKeysym) << b;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), keysym), 0) << "byte " << b << " shares its keysym";
        seen.push_back(keysym);
    }
    EXPECT_EQ(keysymOfByte('\r'), keysymOfByte('\n'));
    EXPECT_EQ(keysymOfByte('\r'), keysymOfVirtualKey(13));
    EXPECT_EQ(keysymOfByte(0x80), 0x20ACu);    // the euro sign's legacy keysym
    EXPECT_EQ(keysymOfByte(0x88), 0x10002C6u); // modifier circumflex: no legacy keysym
    EXPECT_EQ(keysymOfByte(1), kNoKeysym);
}

} // namespace
} // namespace quorvane
