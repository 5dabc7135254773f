#pragma once
// The key table behind the hot key picker, the rows of the keystroke picker, and the results both
// pickers give for a chosen row and modifiers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// One key of the hot key picker: its name and virtual-key code.
struct KeyTableEntry {
    std::string_view Name;
    int Code = 0;
};

inline constexpr std::size_t kKeyTableSize = 100;
/// The 100 keys in picker order.
const std::array<KeyTableEntry, kKeyTableSize>& KeyTable();
/// The name of a virtual-key code 0..225 ("" where the table has none, and outside that range).
std::string_view KeyNameOfCode(int code);

/// Modifier flags of a key word: 4 Alt, 2 Ctrl, 1 Shift, times 256.
struct KeyModifiers {
    bool Alt = false;
    bool Ctrl = false;
    bool Shift = false;
};

/// Rows of the keystroke picker, "NUL" first (the field editor hides that row while it is open).
std::vector<std::string> KeystrokeRows();

/// The keystroke macro for a row of the keystroke picker with the modifiers checked: "NUL" stays
/// itself; names and the characters of "{}+^%~[]()" go in braces, {SPACE} is a blank, and a character
/// above code 127 takes no modifiers.
std::string KeystrokePickResult(std::string_view row, KeyModifiers modifiers);

/// The hot key picker's two results.
struct HotKeyPick {
    std::string Text;
    std::int16_t KeyWord = 0;
    bool operator==(const HotKeyPick&) const = default;
};
/// The result for key table row `row` with the modifiers: "ALT+CTRL+SHIFT+" as checked, then the name;
/// the key word is the modifier flags times 256 plus the key code.
HotKeyPick HotKeyPickResult(std::size_t row, KeyModifiers modifiers);
/// How a key word is shown: "ALT+", "CTRL+", "SHIFT+" for the flags that are set, then the key's name.
std::string HotKeyText(std::int16_t keyWord);

} // namespace quorvane
