#include "platform/x11/VirtualKeyTable.h"

#include "config/CodePage.h"

// Typographic and technical symbols are outside the default keysym sets.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>
#include <array>
#include <utility>

namespace quorvane {

namespace {

// Codes other than letters, digits and the function keys, as a PC keyboard lays them out; the
// punctuation keys (VK_OEM_*) by the symbol on their level 0 on a US keyboard.
constexpr std::array<std::pair<std::uint16_t, Keysym>, 67> kNamedKeys{{
    {3, XK_Break},          {8, XK_BackSpace},     {9, XK_Tab},
    {12, XK_Clear},         {13, XK_Return},       {16, XK_Shift_L},
    {17, XK_Control_L},     {18, XK_Alt_L},        {19, XK_Pause},
    {20, XK_Caps_Lock},     {27, XK_Escape},       {32, XK_space},
    {33, XK_Prior},         {34, XK_Next},         {35, XK_End},
    {36, XK_Home},          {37, XK_Left},         {38, XK_Up},
    {39, XK_Right},         {40, XK_Down},         {41, XK_Select},
    {42, XK_Print},         {43, XK_Execute},      {44, XK_Print},
    {45, XK_Insert},        {46, XK_Delete},       {47, XK_Help},
    {91, XK_Super_L},       {92, XK_Super_R},      {93, XK_Menu},
    {96, XK_KP_0},          {97, XK_KP_1},         {98, XK_KP_2},
    {99, XK_KP_3},          {100, XK_KP_4},        {101, XK_KP_5},
    {102, XK_KP_6},         {103, XK_KP_7},        {104, XK_KP_8},
    {105, XK_KP_9},         {106, XK_KP_Multiply}, {107, XK_KP_Add},
    {108, XK_KP_Separator}, {109, XK_KP_Subtract}, {110, XK_KP_Decimal},
    {111, XK_KP_Divide},    {144, XK_Num_Lock},    {145, XK_Scroll_Lock},
    {160, XK_Shift_L},      {161, XK_Shift_R},     {162, XK_Control_L},
    {163, XK_Control_R},    {164, XK_Alt_L},       {165, XK_Alt_R},
    {186, XK_semicolon},    {187, XK_equal},       {188, XK_comma},
    {189, XK_minus},        {190, XK_period},      {191, XK_slash},
    {192, XK_grave},        {219, XK_bracketleft}, {220, XK_backslash},
    {221, XK_bracketright}, {222, XK_apostrophe},  {226, XK_less},
    {254, XK_Clear},
}};

// Windows-1252 characters of 0x80..0x9F for which X has a legacy keysym; the others use their
// Unicode keysym.
constexpr std::array<std::pair<char32_t, Keysym>, 21> kLegacyKeysyms{{
    {U'\u20AC', XK_EuroSign},
    {U'\u201A', XK_singlelowquotemark},
    {U'\u0192', XK_function},
    {U'\u201E', XK_doublelowquotemark},
    {U'\u2026', XK_ellipsis},
    {U'\u2020', XK_dagger},
    {U'\u2021', XK_doubledagger},
    {U'\u2030', XK_permille},
    {U'\u0160', XK_Scaron},
    {U'\u0152', XK_OE},
    {U'\u017D', XK_Zcaron},
    {U'\u2018', XK_leftsinglequotemark},
    {U'\u2019', XK_rightsinglequotemark},
    {U'\u201C', XK_leftdoublequotemark},
    {U'\u201D', XK_rightdoublequotemark},
    {U'\u2013', XK_endash},
    {U'\u2014', XK_emdash},
    {U'\u2122', XK_trademark},
    {U'\u0161', XK_scaron},
    {U'\u0153', XK_oe},
    {U'\u017E', XK_zcaron},
}};

} // namespace

Keysym keysymOfVirtualKey(std::uint16_t virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9')
        return XK_0 + (virtualKey - '0');
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XK_a + (virtualKey - 'A');
    if (virtualKey >= 112 && virtualKey <= 135)
        return XK_F1 + (virtualKey - 112u);
    for (const auto& [code, keysym] : kNamedKeys)
        if (code == virtualKey)
            return keysym;
    return kNoKeysym;
}

Keysym keysymOfByte(unsigned char byte) {
    switch (byte) {
    case 8:
        return XK_BackSpace;
    case 9:
        return XK_Tab;
    case 10:
    case 13:
        return XK_Return;
    case 27:
        return XK_Escape;
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

} // namespace quorvane
