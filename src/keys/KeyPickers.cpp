#include "keys/KeyPickers.h"

namespace quorvane {

namespace {

constexpr std::array<KeyTableEntry, kKeyTableSize> buildKeyTable() {
    std::array<KeyTableEntry, kKeyTableSize> t{};
    constexpr KeyTableEntry named[] = {{"None", 0},        {"SPACE", 32},  {"ENTER", 13},    {"BACKSPACE", 8},
                                       {"TAB", 9},         {"INSERT", 45}, {"DELETE", 46},   {"UP", 38},
                                       {"DOWN", 40},       {"RIGHT", 39},  {"LEFT", 37},     {"HOME", 36},
                                       {"END", 35},        {"PGDN", 34},   {"PGUP", 33},     {"ESCAPE", 27},
                                       {"BREAK", 19},      {"CLEAR", 12},  {"CAPSLOCK", 20}, {"NUMLOCK", 144},
                                       {"SCROLLOCK", 145}, {"PRTSC", 42}};
    constexpr std::string_view functionKeys[] = {"F1", "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                                 "F9", "F10", "F11", "F12", "F13", "F14", "F15", "F16"};
    constexpr std::string_view numPad[] = {"NumPad 0", "NumPad 1", "NumPad 2", "NumPad 3", "NumPad 4",
                                           "NumPad 5", "NumPad 6", "NumPad 7", "NumPad 8", "NumPad 9"};
    constexpr KeyTableEntry gray[] = {{"Gray *", 106}, {"Gray +", 107}, {"Gray -", 109}, {"Gray .", 110},
                                      {"Gray /", 111}, {";", 186},      {"=", 187},      {",", 188},
                                      {"-", 189},      {".", 190},      {"/", 191},      {"`", 192},
                                      {"[", 219},      {"\\", 220},     {"]", 221},      {"'", 222}};
    constexpr std::string_view digitsAndLetters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::size_t n = 0;
    for (const auto& k : named)
        t[n++] = k;
    for (int i = 0; i < 16; ++i)
        t[n++] = {functionKeys[i], 112 + i};
    for (int i = 0; i < 10; ++i)
        t[n++] = {numPad[i], 96 + i};
    for (const auto& k : gray)
        t[n++] = k;
    for (std::size_t i = 0; i < digitsAndLetters.size(); ++i)
        t[n++] = {digitsAndLetters.substr(i, 1), static_cast<int>(digitsAndLetters[i])};
    return t;
}

constexpr std::array<KeyTableEntry, kKeyTableSize> kKeyTable = buildKeyTable();

constexpr std::string_view kKeystrokeNames[] = {
    "NUL",  "SPACE", "ENTER", "BACKSPACE", "TAB",     "INSERT",    "DELETE", "UP",
    "DOWN", "RIGHT", "LEFT",  "HOME",      "END",     "PGDN",      "PGUP",   "ESCAPE",
    "HELP", "BREAK", "CLEAR", "CAPSLOCK",  "NUMLOCK", "SCROLLOCK", "PRTSC"};

constexpr std::string_view kBraced = "{}+^%~[]()";

} // namespace

const std::array<KeyTableEntry, kKeyTableSize>& KeyTable() {
    return kKeyTable;
}

std::string_view KeyNameOfCode(int code) {
    if (code < 0 || code > 225)
        return {};
    for (const auto& k : kKeyTable)
        if (k.Code == code)
            return k.Name;
    return {};
}

std::vector<std::string> KeystrokeRows() {
    std::vector<std::string> rows(std::begin(kKeystrokeNames), std::end(kKeystrokeNames));
    for (int i = 1; i <= 16; ++i)
        rows.push_back("F" + std::to_string(i));
    for (int c = 33; c <= 126; ++c)
        rows.emplace_back(1, static_cast<char>(c));
    for (int c = 161; c <= 255; ++c)
        rows.emplace_back(1, static_cast<char>(c));
    return rows;
}

std::string KeystrokePickResult(std::string_view row, KeyModifiers modifiers) {
    if (row == "NUL")
        return "NUL";
    std::string prefix;
    if (modifiers.Alt)
        prefix += '%';
    if (modifiers.Ctrl)
        prefix += '^';
    if (modifiers.Shift)
        prefix += '+';
    std::string key(row);
    if (key.size() > 1 || (key.size() == 1 && kBraced.find(key[0]) != std::string_view::npos))
        key = "{" + key + "}";
    if (key == "{SPACE}")
        key = " ";
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) > 127)
        prefix.clear();
    return prefix + key;
}

HotKeyPick HotKeyPickResult(std::size_t row, KeyModifiers modifiers) {
    const KeyTableEntry& key = kKeyTable.at(row);
    HotKeyPick pick;
    int flags = 0;
    if (modifiers.Alt) {
        pick.Text += "ALT+";
        flags |= 4;
    }
    if (modifiers.Ctrl) {
        pick.Text += "CTRL+";
        flags |= 2;
    }
    if (modifiers.Shift) {
        pick.Text += "SHIFT+";
        flags |= 1;
    }
    pick.Text += key.Name;
    pick.KeyWord = static_cast<std::int16_t>(flags * 256 + key.Code);
    return pick;
}

std::string HotKeyText(std::int16_t keyWord) {
    const auto bits = static_cast<std::uint16_t>(keyWord);
    const int flags = bits >> 8;
    std::string text;
    if (flags & 4)
        text += "ALT+";
    if (flags & 2)
        text += "CTRL+";
    if (flags & 1)
        text += "SHIFT+";
    return text + std::string(KeyNameOfCode(bits & 0xFF));
}

} // namespace quorvane
