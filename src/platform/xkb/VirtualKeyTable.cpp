#include "platform/xkb/VirtualKeyTable.h"

#include "config/CodePage.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <array>
#include <utility>

namespace quorvane {

namespace {

// Codes other than letters, digits and the function keys, as a PC keyboard lays them out; the
// punctuation keys (VK_OEM_*) by the symbol on their level 0 on a US keyboard.
constexpr std::array<std::pair<std::uint16_t, Keysym>, 67> kNamedKeys{{
    {3, XKB_KEY_Break},          {8, XKB_KEY_BackSpace},     {9, XKB_KEY_Tab},
    {12, XKB_KEY_Clear},         {13, XKB_KEY_Return},       {16, XKB_KEY_Shift_L},
    {17, XKB_KEY_Control_L},     {18, XKB_KEY_Alt_L},        {19, XKB_KEY_Pause},
    {20, XKB_KEY_Caps_Lock},     {27, XKB_KEY_Escape},       {32, XKB_KEY_space},
    {33, XKB_KEY_Prior},         {34, XKB_KEY_Next},         {35, XKB_KEY_End},
    {36, XKB_KEY_Home},          {37, XKB_KEY_Left},         {38, XKB_KEY_Up},
    {39, XKB_KEY_Right},         {40, XKB_KEY_Down},         {41, XKB_KEY_Select},
    {42, XKB_KEY_Print},         {43, XKB_KEY_Execute},      {44, XKB_KEY_Print},
    {45, XKB_KEY_Insert},        {46, XKB_KEY_Delete},       {47, XKB_KEY_Help},
    {91, XKB_KEY_Super_L},       {92, XKB_KEY_Super_R},      {93, XKB_KEY_Menu},
    {96, XKB_KEY_KP_0},          {97, XKB_KEY_KP_1},         {98, XKB_KEY_KP_2},
    {99, XKB_KEY_KP_3},          {100, XKB_KEY_KP_4},        {101, XKB_KEY_KP_5},
    {102, XKB_KEY_KP_6},         {103, XKB_KEY_KP_7},        {104, XKB_KEY_KP_8},
    {105, XKB_KEY_KP_9},         {106, XKB_KEY_KP_Multiply}, {107, XKB_KEY_KP_Add},
    {108, XKB_KEY_KP_Separator}, {109, XKB_KEY_KP_Subtract}, {110, XKB_KEY_KP_Decimal},
    {111, XKB_KEY_KP_Divide},    {144, XKB_KEY_Num_Lock},    {145, XKB_KEY_Scroll_Lock},
    {160, XKB_KEY_Shift_L},      {161, XKB_KEY_Shift_R},     {162, XKB_KEY_Control_L},
    {163, XKB_KEY_Control_R},    {164, XKB_KEY_Alt_L},       {165, XKB_KEY_Alt_R},
    {186, XKB_KEY_semicolon},    {187, XKB_KEY_equal},       {188, XKB_KEY_comma},
    {189, XKB_KEY_minus},        {190, XKB_KEY_period},      {191, XKB_KEY_slash},
    {192, XKB_KEY_grave},        {219, XKB_KEY_bracketleft}, {220, XKB_KEY_backslash},
    {221, XKB_KEY_bracketright}, {222, XKB_KEY_apostrophe},  {226, XKB_KEY_less},
    {254, XKB_KEY_Clear},
}};

// Windows-1252 characters of 0x80..0x9F for which X has a legacy keysym; the others use their
// Unicode keysym.
constexpr std::array<std::pair<char32_t, Keysym>, 21> kLegacyKeysyms{{
    {U'\u20AC', XKB_KEY_EuroSign},
    {U'\u201A', XKB_KEY_singlelowquotemark},
    {U'\u0192', XKB_KEY_function},
    {U'\u201E', XKB_KEY_doublelowquotemark},
    {U'\u2026', XKB_KEY_ellipsis},
    {U'\u2020', XKB_KEY_dagger},
    {U'\u2021', XKB_KEY_doubledagger},
    {U'\u2030', XKB_KEY_permille},
    {U'\u0160', XKB_KEY_Scaron},
    {U'\u0152', XKB_KEY_OE},
    {U'\u017D', XKB_KEY_Zcaron},
    {U'\u2018', XKB_KEY_leftsinglequotemark},
    {U'\u2019', XKB_KEY_rightsinglequotemark},
    {U'\u201C', XKB_KEY_leftdoublequotemark},
    {U'\u201D', XKB_KEY_rightdoublequotemark},
    {U'\u2013', XKB_KEY_endash},
    {U'\u2014', XKB_KEY_emdash},
    {U'\u2122', XKB_KEY_trademark},
    {U'\u0161', XKB_KEY_scaron},
    {U'\u0153', XKB_KEY_oe},
    {U'\u017E', XKB_KEY_zcaron},
}};

// The punctuation keys of a US keyboard, by the Windows code of their position.
constexpr std::array<std::uint16_t, 12> kPunctuationKeys{186, 187, 188, 189, 190, 191,
                                                         192, 219, 220, 221, 222, 226};

} // namespace

Keysym keysymOfVirtualKey(std::uint16_t virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9')
        return XKB_KEY_0 + (virtualKey - '0');
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XKB_KEY_a + (virtualKey - 'A');
    if (virtualKey >= 112 && virtualKey <= 135)
        return XKB_KEY_F1 + (virtualKey - 112u);
    for (const auto& [code, keysym] : kNamedKeys)
        if (code == virtualKey)
            return keysym;
    return kNoKeysym;
}

Keysym keysymOfByte(unsigned char byte) {
    switch (byte) {
    case 8:
        return XKB_KEY_BackSpace;
    case 9:
        return XKB_KEY_Tab;
    case 10:
    case 13:
        return XKB_KEY_Return;
    case 27:
        return XKB_KEY_Escape;
    default:
        break;
    }
    const char32_t codePoint = CodePointOfByte(byte);
    // Control codes, and the five unassigned bytes that stand for C1 codes, have no character.
    if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0))
        return kNoKeysym;
    if (codePoint <= 0xFF)
        return codePoint; // Latin-1 keysyms equal their code points
    for (const auto& [cp, keysym] : kLegacyKeysyms)
        if (cp == codePoint)
            return keysym;
    return 0x01000000 | codePoint;
}

std::optional<KeyStroke> keyOfControlByte(unsigned char byte) {
    switch (byte) {
    case 8:
    case 9:
    case 27:
        return KeyStroke{byte, 0};
    case 10:
    case 13:
        return KeyStroke{vk::kEnter, 0};
    default:
        return std::nullopt;
    }
}

std::uint16_t virtualKeyNaming(Keysym keysym, const std::function<bool(std::uint16_t)>& isThatKey) {
    std::uint16_t candidate = 0;
    if ((keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) || (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z))
        candidate = static_cast<std::uint16_t>('A' + (keysym | 0x20) - XKB_KEY_a);
    else if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)
        candidate = static_cast<std::uint16_t>(keysym);
    else if (keysym == XKB_KEY_space)
        candidate = 32;
    if (candidate != 0 && isThatKey(candidate))
        return candidate;
    for (std::uint16_t virtualKey : kPunctuationKeys)
        if (isThatKey(virtualKey))
            return virtualKey;
    return 0;
}

} // namespace quorvane
