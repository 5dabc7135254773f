// The X server's keyboard read through libxkbcommon on Xvfb, as the kernel's virtual keyboard types
// with it on an X11 session: the keymap is the server's (US, then German once setxkbmap de has set
// it, which the server tells), and Caps Lock and a held Shift pressed on the server show in the
// state the layout is given. How the layout turns the state into keys is XkbLayout_test's part.

#include "fakes/ChildProcess.h"
#include "platform/x11/X11ServerKeyboard.h"
#include "platform/xkb/XkbLayout.h"
#include "x11/XvfbSession.h"

#include <gtest/gtest.h>

// Last: Xlib's macros (None, Success, Status...) would clash with our names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace quorvane {
namespace {

// The one key, without modifiers, that types a character; 0 when it takes more.
std::uint32_t plainKey(const XkbLayout& layout, unsigned char character) {
    const std::vector<KeyChord> chords = layout.chordsFor(character);
    return chords.size() == 1 && chords[0].Modifiers.empty() ? chords[0].Keycode : 0;
}

void press(_XDisplay* display, KeySym keysym, bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), down ? True : False, CurrentTime);
    XSync(display, False);
}

TEST(X11ServerKeyboard, TypesWithTheServersLayoutAndSeesItsLocksAndHeldKeys) {
    test::XvfbSession x;
    if (!x.ready()) {
        if (x.whyNot().find("not installed") != std::string::npos)
            GTEST_SKIP() << x.whyNot();
        FAIL() << x.whyNot();
    }
    if (test::findProgram("setxkbmap").empty())
        GTEST_SKIP() << "setxkbmap is not installed (package list: scripts/debian-packages.txt)";
    constexpr std::uint32_t kKeyRightOfT = 29;     // AD06
    constexpr std::uint32_t kKeyRightOfShift = 52; // AB01

    X11ServerKeyboard keyboard(x.name().c_str());
    ASSERT_TRUE(keyboard.ok()) << keyboard.problem();
    XkbLayout layout(keyboard.keymap());
    EXPECT_EQ(plainKey(layout, 'z'), kKeyRightOfShift);
    EXPECT_TRUE(layout.chordsFor(0xDF).empty()); // sharp s
    EXPECT_FALSE(keyboard.keymapChanged());

    // The user sets another layout on the server while the program runs.
    test::ChildProcess setxkbmap({test::findProgram("setxkbmap"), "-display", x.name(), "de"},
                                 x.environment());
    ASSERT_TRUE(test::waitUntil([&] { return !setxkbmap.running(); }));
    ASSERT_EQ(setxkbmap.exitStatus(), 0);
    ASSERT_TRUE(test::waitUntil([&] { return keyboard.keymapChanged(); }));
    layout.setKeymap(keyboard.keymap());
    EXPECT_EQ(plainKey(layout, 'z'), kKeyRightOfT);
    EXPECT_EQ(plainKey(layout, 'y'), kKeyRightOfShift);
    EXPECT_NE(plainKey(layout, 0xDF), 0u);
    XkbLayout& de = layout;

    // The state as the server has it now, given to the layout.
    const auto seen = [&](auto condition) {
        return test::waitUntil([&] {
            const auto state = keyboard.state();
            if (state)
                de.setModifierState(*state);
            return state && condition();
        });
    };
    ASSERT_TRUE(seen([&] { return !de.capsLock() && de.heldModifiers() == 0; }));
    press(x.display(), XK_Caps_Lock, true);
    press(x.display(), XK_Caps_Lock, false);
    EXPECT_TRUE(seen([&] { return de.capsLock(); }));
    press(x.display(), XK_Shift_L, true);
    EXPECT_TRUE(seen([&] { return de.heldModifiers() != 0 && de.capsLock(); }));
    press(x.display(), XK_Shift_L, false);
    EXPECT_TRUE(seen([&] { return de.heldModifiers() == 0; }));
    press(x.display(), XK_Caps_Lock, true);
    press(x.display(), XK_Caps_Lock, false);
    EXPECT_TRUE(seen([&] { return !de.capsLock(); }));

    x.killServer();
    EXPECT_FALSE(keyboard.state().has_value());
}

} // namespace
} // namespace quorvane
