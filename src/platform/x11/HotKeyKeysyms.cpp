#include "platform/x11/HotKeyKeysyms.h"

#include <X11/keysym.h>
#include <array>
#include <utility>

namespace quorvane {

namespace {

// Codes outside the letter, digit, keypad-digit and function-key runs.
constexpr std::array<std::pair<std::uint8_t, std::uint32_t>, 44> kSingleKeys{{
    {0x08, XK_BackSpace},
    {0x09, XK_Tab},
    {0x0C, XK_Clear},
    {0x0D, XK_Return},
    {0x13, XK_Pause},
    {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},
    {0x20, XK_space},
    {0x21, XK_Prior},
    {0x22, XK_Next},
    {0x23, XK_End},
    {0x24, XK_Home},
    {0x25, XK_Left},
    {0x26, XK_Up},
    {0x27, XK_Right},
    {0x28, XK_Down},
    {0x29, XK_Select},
    {0x2B, XK_Execute},
    {0x2D, XK_Insert},
    {0x2E, XK_Delete},
    {0x2F, XK_Help},
    {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},
    {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock},
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
    // The key table names code 42 "PRTSC"; 44 is the snapshot key proper. Both mean Print.
    {0x2A, XK_Print},
    {0x2C, XK_Print},
    {0x5D, XK_Menu},
    {0x03, XK_Cancel},
}};

} // namespace

std::uint32_t HotKeyKeysym(std::uint8_t virtualKey) {
    const unsigned vk = virtualKey;
    // Letters name the lower-case keysym, which sits on the first level of the letter's key.
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    if (vk >= 0x60 && vk <= 0x69)
        return XK_KP_0 + (vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87)
        return XK_F1 + (vk - 0x70);
    for (const auto& [code, keysym] : kSingleKeys)
        if (code == virtualKey)
            return keysym;
    return 0;
}

} // namespace quorvane
