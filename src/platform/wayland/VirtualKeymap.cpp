#include "platform/wayland/VirtualKeymap.h"

#include "config/CodePage.h"

#include <string_view>
#include <xkbcommon/xkbcommon.h>

namespace quorvane {

namespace {

// xkb keycodes start at 8 (evdev code + 8); X clients on the desktop see only keycodes up to 255.
constexpr std::uint32_t kEvdevOffset = 8;
constexpr std::uint32_t kLastKeycode = 255;

struct NamedKey {
    std::uint16_t VirtualKey;
    const char* Level0;
    const char* Level1;
};

// Digits and punctuation where a US keyboard has them, by the Windows code of the key.
constexpr NamedKey kUsKeys[] = {
    {'0', "0", "parenright"},
    {'1', "1", "exclam"},
    {'2', "2", "at"},
    {'3', "3", "numbersign"},
    {'4', "4", "dollar"},
    {'5', "5", "percent"},
    {'6', "6", "asciicircum"},
    {'7', "7", "ampersand"},
    {'8', "8", "asterisk"},
    {'9', "9", "parenleft"},
    {32, "space", nullptr},
    {186, "semicolon", "colon"},
    {187, "equal", "plus"},
    {188, "comma", "less"},
    {189, "minus", "underscore"},
    {190, "period", "greater"},
    {191, "slash", "question"},
    {192, "grave", "asciitilde"},
    {219, "bracketleft", "braceleft"},
    {220, "backslash", "bar"},
    {221, "bracketright", "braceright"},
    {222, "apostrophe", "quotedbl"},
};

// The keys the macro language and the key pickers name, with the modifiers.
constexpr NamedKey kControlKeys[] = {
    {8, "BackSpace", nullptr},     {9, "Tab", nullptr},         {12, "Clear", nullptr},
    {13, "Return", nullptr},       {16, "Shift_L", nullptr},    {17, "Control_L", nullptr},
    {18, "Alt_L", nullptr},        {19, "Pause", nullptr},      {20, "Caps_Lock", nullptr},
    {27, "Escape", nullptr},       {33, "Prior", nullptr},      {34, "Next", nullptr},
    {35, "End", nullptr},          {36, "Home", nullptr},       {37, "Left", nullptr},
    {38, "Up", nullptr},           {39, "Right", nullptr},      {40, "Down", nullptr},
    {44, "Print", nullptr},        {45, "Insert", nullptr},     {46, "Delete", nullptr},
    {47, "Help", nullptr},         {91, "Super_L", nullptr},    {93, "Menu", nullptr},
    {106, "KP_Multiply", nullptr}, {107, "KP_Add", nullptr},    {109, "KP_Subtract", nullptr},
    {110, "KP_Decimal", nullptr},  {111, "KP_Divide", nullptr}, {144, "Num_Lock", nullptr},
    {145, "Scroll_Lock", nullptr},
};

constexpr const char* kKeypadDigits[] = {"KP_0", "KP_1", "KP_2", "KP_3", "KP_4",
                                         "KP_5", "KP_6", "KP_7", "KP_8", "KP_9"};
constexpr int kFunctionKeys = 16; // F1 (112) to F16 (127)

std::optional<std::uint8_t> byteOfKeysym(xkb_keysym_t keysym) {
    const std::uint32_t codePoint = xkb_keysym_to_utf32(keysym);
    if (codePoint == 0)
        return std::nullopt;
    return ByteOfCodePoint(static_cast<char32_t>(codePoint));
}

// Bytes that stand for a key of their own: printable characters, and the controls that have one.
bool typable(std::uint8_t byte) {
    const char32_t codePoint = CodePointOfByte(byte);
    if (byte == 8 || byte == 9 || byte == 13 || byte == 27)
        return true;
    return codePoint >= 0x20 && codePoint != 0x7F && (codePoint < 0x80 || codePoint > 0x9F);
}

std::string keysymName(xkb_keysym_t keysym) {
    char name[64];
    xkb_keysym_get_name(keysym, name, sizeof name);
    return name;
}

} // namespace

VirtualKeymap::VirtualKeymap() : m_nextKeycode(kEvdevOffset + 1) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char lower[2] = {static_cast<char>(letter - 'A' + 'a'), '\0'};
        const char upper[2] = {letter, '\0'};
        addKey(static_cast<std::uint16_t>(letter), lower, upper);
    }
    for (const NamedKey& key : kUsKeys)
        addKey(key.VirtualKey, key.Level0, key.Level1);
    for (const NamedKey& key : kControlKeys)
        addKey(key.VirtualKey, key.Level0, key.Level1);
    for (std::uint16_t digit = 0; digit < 10; ++digit)
        addKey(static_cast<std::uint16_t>(96 + digit), kKeypadDigits[digit]);
    for (int f = 1; f <= kFunctionKeys; ++f)
        addKey(static_cast<std::uint16_t>(111 + f), ("F" + std::to_string(f)).c_str());
    m_strokes[10] = KeyStroke{vk::kEnter, 0};

    // The rest of the code page: one key per character, its other case on level 1 when the code
    // page has that too, so that Shift and Caps Lock act on it as on a letter.
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        if (m_strokes[byte] || !typable(byte))
            continue;
        const xkb_keysym_t keysym = xkb_utf32_to_keysym(CodePointOfByte(byte));
        xkb_keysym_t lower = xkb_keysym_to_lower(keysym);
        xkb_keysym_t upper = xkb_keysym_to_upper(keysym);
        const auto lowerByte = byteOfKeysym(lower);
        const auto upperByte = byteOfKeysym(upper);
        std::uint8_t base = byte;
        if (lower != keysym && lowerByte && !m_strokes[*lowerByte]) {
            base = *lowerByte;
            upper = keysym;
        } else if (upper != keysym && upperByte && !m_strokes[*upperByte]) {
            lower = keysym;
        } else {
            lower = keysym;
            upper = XKB_KEY_NoSymbol;
        }
        const std::string level0 = keysymName(lower);
        const std::string level1 = upper != XKB_KEY_NoSymbol ? keysymName(upper) : std::string();
        addKey(static_cast<std::uint16_t>(waylandvk::kCharacterBase + base), level0.c_str(),
               level1.empty() ? nullptr : level1.c_str());
    }

    m_text = "xkb_keymap {\n"
             "xkb_keycodes \"quorvane\" {\n"
             "minimum = 8;\nmaximum = 255;\n";
    for (std::uint32_t keycode = kEvdevOffset + 1; keycode < m_nextKeycode; ++keycode)
        m_text += "<I" + std::to_string(keycode) + "> = " + std::to_string(keycode) + ";\n";
    m_text += "};\n"
              "xkb_types \"quorvane\" {\ninclude \"complete\"\n"
              "type \"QUORVANE_CASELESS\" { modifiers = Lock; map[None] = Level1; level_name[Level1] = "
              "\"Any\"; };\n"
              "};\n"
              "xkb_compatibility \"quorvane\" { include \"complete\" };\n"
              "xkb_symbols \"quorvane\" {\n";
    m_text += m_symbols;
    auto keyName = [&](std::uint16_t virtualKey) {
        return "<I" + std::to_string(keycodeOf(virtualKey) + kEvdevOffset) + ">";
    };
    m_text += "modifier_map Shift { " + keyName(vk::kShift) + " };\n";
    m_text += "modifier_map Lock { " + keyName(vk::kCapsLock) + " };\n";
    m_text += "modifier_map Control { " + keyName(vk::kControl) + " };\n";
    m_text += "modifier_map Mod1 { " + keyName(vk::kAlt) + " };\n";
    m_text += "modifier_map Mod2 { " + keyName(144) + " };\n";
    m_text += "};\n};\n";
}

void VirtualKeymap::addKey(std::uint16_t virtualKey, const char* level0, const char* level1) {
    if (m_nextKeycode > kLastKeycode)
        return;
    const auto evdev = static_cast<std::uint8_t>(m_nextKeycode - kEvdevOffset);
    if (virtualKey >= waylandvk::kCharacterBase)
        m_characterKeys[virtualKey - waylandvk::kCharacterBase] = evdev;
    else
        m_windowsKeys[virtualKey] = evdev;
    // A key of one symbol takes Caps Lock as its own and ignores it: otherwise xkb upper-cases
    // its symbol under Caps Lock, and µ or ß would type another character or none.
    m_symbols += "key <I" + std::to_string(m_nextKeycode) + "> { ";
    if (level1 == nullptr)
        m_symbols += std::string("type = \"QUORVANE_CASELESS\", [ ") + level0;
    else
        m_symbols += std::string("[ ") + level0 + ", " + level1;
    m_symbols += " ] };\n";
    ++m_nextKeycode;

    const char* levels[] = {level0, level1};
    for (std::uint8_t level = 0; level < 2; ++level) {
        if (levels[level] == nullptr)
            continue;
        const auto byte = byteOfKeysym(xkb_keysym_from_name(levels[level], XKB_KEYSYM_NO_FLAGS));
        if (byte && typable(*byte) && !m_strokes[*byte])
            m_strokes[*byte] = KeyStroke{virtualKey, level == 1 ? shiftstate::kShift : std::uint8_t{0}};
    }
}

std::uint32_t VirtualKeymap::keycodeOf(std::uint16_t virtualKey) const {
    if (virtualKey < m_windowsKeys.size())
        return m_windowsKeys[virtualKey];
    if (virtualKey >= waylandvk::kCharacterBase && virtualKey < waylandvk::kCharacterBase + 256)
        return m_characterKeys[virtualKey - waylandvk::kCharacterBase];
    return 0;
}

std::uint32_t VirtualKeymap::heldModifierOf(std::uint16_t virtualKey) {
    switch (virtualKey) {
    case vk::kShift:
        return xkbmask::kShift;
    case vk::kControl:
        return xkbmask::kControl;
    case vk::kAlt:
        return xkbmask::kMod1;
    default:
        return 0;
    }
}

std::uint32_t VirtualKeymap::lockOf(std::uint16_t virtualKey) {
    if (virtualKey == vk::kCapsLock)
        return xkbmask::kLock;
    return virtualKey == 144 ? xkbmask::kMod2 : 0;
}

std::optional<KeyStroke> VirtualKeymap::keyForCharacter(unsigned char character) const {
    return m_strokes[character];
}

} // namespace quorvane
