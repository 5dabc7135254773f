// The virtual keyboard's own keymap, compiled by libxkbcommon as the compositor and its clients
// compile it: every printable character of the code page comes back from its key and shift state,
// also with Caps Lock on where it only shifts letters; the named keys of the macro language carry
// their symbols; the keymap stays within the keycodes X clients can see. The live keyboard is the
// headless-compositor tests' part.

#include "config/CodePage.h"
#include "platform/wayland/VirtualKeymap.h"

#include <gtest/gtest.h>
#include <memory>
#include <xkbcommon/xkbcommon.h>

namespace quorvane {
namespace {

struct XkbKeymap {
    XkbKeymap() {
        context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        keymap.reset(xkb_keymap_new_from_string(context.get(), layout.text().c_str(),
                                                XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    // What the key types with the given depressed and locked modifiers.
    char32_t typed(std::uint32_t keycode, std::uint32_t depressed, std::uint32_t locked = 0) const {
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(keymap.get()),
                                                                     xkb_state_unref);
        xkb_state_update_mask(state.get(), depressed, 0, locked, 0, 0, 0);
        return xkb_state_key_get_utf32(state.get(), keycode + 8);
    }
    xkb_keysym_t keysym(std::uint32_t keycode) const {
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(keymap.get()),
                                                                     xkb_state_unref);
        return xkb_state_key_get_one_sym(state.get(), keycode + 8);
    }

    VirtualKeymap layout;
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{nullptr, xkb_context_unref};
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{nullptr, xkb_keymap_unref};
};

bool printable(std::uint8_t byte) {
    const char32_t c = CodePointOfByte(byte);
    return c >= 0x20 && c != 0x7F && (c < 0x80 || c > 0x9F);
}

TEST(VirtualKeymap, CompilesWithinTheKeycodesOfXClients) {
    const XkbKeymap xkb;
    ASSERT_NE(xkb.keymap, nullptr) << xkb.layout.text();
    EXPECT_LE(xkb_keymap_max_keycode(xkb.keymap.get()), 255U);
}

TEST(VirtualKeymap, EveryPrintableCharacterComesBackFromItsKeyAlsoWithCapsLockOn) {
    const XkbKeymap xkb;
    ASSERT_NE(xkb.keymap, nullptr);
    int letters = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const auto stroke = xkb.layout.keyForCharacter(byte);
        if (!printable(byte)) {
            EXPECT_TRUE(!stroke || b == 8 || b == 9 || b == 10 || b == 13 || b == 27) << b;
            continue;
        }
        ASSERT_TRUE(stroke) << "byte " << b;
        const std::uint32_t keycode = xkb.layout.keycodeOf(stroke->VirtualKey);
        ASSERT_NE(keycode, 0U) << "byte " << b;
        const std::uint32_t shift = stroke->ShiftState == shiftstate::kShift ? xkbmask::kShift : 0;
        EXPECT_EQ(xkb.typed(keycode, shift), CodePointOfByte(byte)) << "byte " << b;
        // Caps Lock shifts a letter's key and nothing else; the macro language switches it off
        // before typing, and a {CAPSLOCK} in the text gets exactly this.
        const char32_t withCaps = xkb.typed(keycode, 0, xkbmask::kLock);
        const char32_t unshifted = xkb.typed(keycode, 0);
        const char32_t shifted = xkb.typed(keycode, xkbmask::kShift);
        if (withCaps != unshifted) {
            EXPECT_EQ(withCaps, shifted) << "byte " << b;
            ++letters;
        }
    }
    // a-z and the accented letters of the code page with both cases.
    EXPECT_GE(letters, 26 + 30);
}

TEST(VirtualKeymap, ControlCharactersTypeTheirKeys) {
    const XkbKeymap xkb;
    const struct {
        unsigned char Byte;
        xkb_keysym_t Keysym;
    } cases[] = {{8, XKB_KEY_BackSpace},
                 {9, XKB_KEY_Tab},
                 {10, XKB_KEY_Return},
                 {13, XKB_KEY_Return},
                 {27, XKB_KEY_Escape}};
    for (const auto& c : cases) {
        const auto stroke = xkb.layout.keyForCharacter(c.Byte);
        ASSERT_TRUE(stroke) << int(c.Byte);
        EXPECT_EQ(xkb.keysym(xkb.layout.keycodeOf(stroke->VirtualKey)), c.Keysym) << int(c.Byte);
    }
    for (int byte : {0, 1, 7, 11, 31, 127, 0x81, 0x9D})
        EXPECT_FALSE(xkb.layout.keyForCharacter(static_cast<unsigned char>(byte))) << byte;
}

TEST(VirtualKeymap, NamedKeysCarryTheirSymbolsAndModifiers) {
    const XkbKeymap xkb;
    const struct {
        std::uint16_t VirtualKey;
        xkb_keysym_t Keysym;
    } cases[] = {{vk::kEnter, XKB_KEY_Return},
                 {vk::kTab, XKB_KEY_Tab},
                 {vk::kShift, XKB_KEY_Shift_L},
                 {vk::kControl, XKB_KEY_Control_L},
                 {vk::kAlt, XKB_KEY_Alt_L},
                 {vk::kCapsLock, XKB_KEY_Caps_Lock},
                 {vk::kDelete, XKB_KEY_Delete},
                 {37, XKB_KEY_Left},
                 {40, XKB_KEY_Down},
                 {33, XKB_KEY_Prior},
                 {112, XKB_KEY_F1},
                 {127, XKB_KEY_F16},
                 {96, XKB_KEY_KP_0},
                 {105, XKB_KEY_KP_9},
                 {144, XKB_KEY_Num_Lock},
                 {'Q', XKB_KEY_q}};
    for (const auto& c : cases)
        EXPECT_EQ(xkb.keysym(xkb.layout.keycodeOf(c.VirtualKey)), c.Keysym) << c.VirtualKey;
    EXPECT_EQ(xkb.layout.keycodeOf(vk::kNone), 0U);

    // The keymap's modifier map agrees with the bits the keyboard sends for its keys.
    const struct {
        const char* Name;
        std::uint32_t Mask;
    } modifiers[] = {{XKB_MOD_NAME_SHIFT, xkbmask::kShift},
                     {XKB_MOD_NAME_CAPS, xkbmask::kLock},
                     {XKB_MOD_NAME_CTRL, xkbmask::kControl},
                     {XKB_MOD_NAME_ALT, xkbmask::kMod1},
                     {XKB_MOD_NAME_NUM, xkbmask::kMod2}};
    for (const auto& m : modifiers)
        EXPECT_EQ(1U << xkb_keymap_mod_get_index(xkb.keymap.get(), m.Name), m.Mask) << m.Name;
}

} // namespace
} // namespace quorvane
