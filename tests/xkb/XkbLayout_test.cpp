// Layouts of the system's keyboard descriptions, compiled by libxkbcommon: every printable byte of
// the code page that the layout can type goes through the macro typing, comes out as key edges,
// and a replay of those keys through the keymap's own state (and the compose table, for dead
// keys) gives back exactly that character. What a layout cannot type is listed in the output.
// The keymap text a display server sends is covered by compiling one layout's text back.

#include <gtest/gtest.h>

#include "config/CodePage.h"
#include "fakes/FakeClock.h"
#include "keys/SendKeyMacro.h"
#include "platform/xkb/XkbLayout.h"
#include "xkb/XkbReplay.h"

#include <string>

namespace quorvane {
namespace {

// The macro text that types one byte as a character.
std::string macroOf(unsigned char c) {
    static const std::string kSyntax = "%()+^{}~[]";
    if (c == '}')
        return "{}}";
    if (kSyntax.find(static_cast<char>(c)) != std::string::npos)
        return std::string("{") + static_cast<char>(c) + "}";
    return std::string(1, static_cast<char>(c));
}

bool printable(unsigned char c) {
    const char32_t cp = CodePointOfByte(c);
    return cp >= 0x20 && cp != 0x7F && (cp < 0x80 || cp >= 0xA0);
}

struct TypedText {
    std::int16_t Result = 0;
    std::string Utf8;
    bool CapsLockAfter = false;
};

TypedText typeThrough(XkbLayout& layout, test::XkbReplay& replay, const std::string& macro,
                      bool capsLockOn = false) {
    test::ReplayKeyboard keyboard(layout, replay);
    layout.setModifierState(replay.modifierState());
    keyboard.setCapsLock(capsLockOn);
    replay.Text.clear();
    test::FakeClock clock;
    const std::int16_t result = SendKeyMacro(macro, 0, KeyTypingHost{keyboard, layout, clock, {}});
    return {result, replay.Text, layout.capsLock()};
}

TypedText typeThrough(XkbLayout& layout, const std::string& macro, bool capsLockOn = false) {
    test::XkbReplay replay(layout.keymap());
    return typeThrough(layout, replay, macro, capsLockOn);
}

struct LayoutCase {
    const char* Layout;
    const char* Variant;
    /// Characters of the layout's own that must be typeable (UTF-8), besides all of ASCII.
    const char* OwnCharacters;
};

class XkbLayoutText : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(XkbLayoutText, EveryTypeableByteOfTheCodePageComesBackAsItself) {
    const LayoutCase& c = GetParam();
    std::string error;
    XkbLayout layout(XkbKeymap::fromNames({c.Layout, c.Variant, "", ""}, &error), "en_US.UTF-8");
    ASSERT_TRUE(layout.keymap().ok()) << error;

    test::XkbReplay replay(layout.keymap());
    std::string untypeable;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (!printable(byte))
            continue;
        const std::string expected = BytesToUtf8(std::string(1, static_cast<char>(byte)));
        if (!layout.keyForCharacter(byte)) {
            EXPECT_GE(b, 0x80) << "ASCII '" << expected << "' untypeable";
            untypeable += expected;
            continue;
        }
        const TypedText typed = typeThrough(layout, replay, macroOf(byte));
        EXPECT_EQ(typed.Result, 0) << expected;
        EXPECT_EQ(typed.Utf8, expected) << "byte " << b;
    }
    const std::string own = Utf8ToBytes(c.OwnCharacters);
    for (char ch : own)
        EXPECT_TRUE(layout.keyForCharacter(static_cast<unsigned char>(ch)).has_value())
            << BytesToUtf8(std::string(1, ch)) << " on " << c.Layout;
    RecordProperty("untypeable", untypeable);
    std::cout << c.Layout << (*c.Variant != '\0' ? std::string("(") + c.Variant + ")" : "")
              << " cannot type: " << (untypeable.empty() ? "-" : untypeable) << "\n";
}

TEST_P(XkbLayoutText, AWholeLineWithCapsLockOnComesOutAsWrittenAndCapsLockStaysOn) {
    const LayoutCase& c = GetParam();
    XkbLayout layout(XkbKeymap::fromNames({c.Layout, c.Variant, "", ""}), "en_US.UTF-8");
    const std::string line =
        std::string("Abc xyZ 0129 #@/{+}") + Utf8ToBytes(c.OwnCharacters) + "{TAB}!{ENTER}";
    const TypedText typed = typeThrough(layout, line, true);
    EXPECT_EQ(typed.Result, 0);
    EXPECT_EQ(typed.Utf8, "Abc xyZ 0129 #@/+" + std::string(c.OwnCharacters) + "\t!\r");
    EXPECT_TRUE(typed.CapsLockAfter);
}

INSTANTIATE_TEST_SUITE_P(Layouts, XkbLayoutText,
                         ::testing::Values(LayoutCase{"us", "", "`|"}, LayoutCase{"de", "", "äöüÄÖÜß§°€µ²"},
                                           LayoutCase{"fr", "", "éèàùç€²µ§£¤"}, LayoutCase{"gb", "", "£¬¦€"},
                                           LayoutCase{"ch", "", "éèàüöä§€¢"},
                                           LayoutCase{"us", "intl", "éñüçåÆ"}),
                         [](const auto& testCase) {
                             return std::string(testCase.param.Layout) +
                                    (*testCase.param.Variant ? "_" : "") + testCase.param.Variant;
                         });

TEST(XkbLayout, DeadKeysTypeWhatNoKeyTypesAloneAndPlainKeysKeepTheirWindowsCodes) {
    XkbLayout layout(XkbKeymap::fromNames({"de", "", "", ""}), "en_US.UTF-8");
    // ê has no key of its own on a German keyboard: the circumflex dead key, then e.
    EXPECT_EQ(layout.chordsFor(static_cast<unsigned char>(0xEA)).size(), 2u);
    EXPECT_EQ(typeThrough(layout, "\xEA\xE2\xF4").Utf8, "êâô");
    // Letters are the keys that carry them: z is where a US keyboard has y (Linux key 21), and keeps
    // the code of Z, so that ^z is Control and the key labelled Z.
    EXPECT_EQ(layout.keyForCharacter('z'), (KeyStroke{'Z', 0}));
    EXPECT_EQ(layout.keyForCharacter('Z'), (KeyStroke{'Z', shiftstate::kShift}));
    EXPECT_EQ(layout.keyEdges('Z', true), (std::vector<KeyEdge>{{21 + 8, true}}));
    // @ needs AltGr: typed as its own sequence, with the modifier released after the key.
    const auto at = layout.keyForCharacter('@');
    ASSERT_TRUE(at.has_value());
    EXPECT_GE(at->VirtualKey, xkbvk::kCharacterBase);
    const auto press = layout.keyEdges(at->VirtualKey, true);
    const auto release = layout.keyEdges(at->VirtualKey, false);
    ASSERT_EQ(press.size(), 2u);
    EXPECT_EQ(release, (std::vector<KeyEdge>{{press[1].Keycode, false}, {press[0].Keycode, false}}));
}

TEST(XkbLayout, TheReportedGroupSelectsTheLayoutOfAKeymapWithSeveral) {
    XkbLayout layout(XkbKeymap::fromNames({"us,de", "", "", ""}), "en_US.UTF-8");
    const auto usZ = layout.keyEdges('Z', true);
    layout.setModifierState({0, 0, 0, 1});
    EXPECT_NE(layout.keyEdges('Z', true), usZ);
    EXPECT_TRUE(layout.keyForCharacter(static_cast<unsigned char>(0xDF)).has_value()); // ß
    layout.setModifierState({0, 0, 0, 0});
    EXPECT_EQ(layout.keyEdges('Z', true), usZ);
}

TEST(XkbKeymap, ServerKeymapTextCompilesAndBadTextOrNamesSayWhy) {
    const XkbKeymap fr = XkbKeymap::fromNames({"fr", "", "", ""});
    ASSERT_TRUE(fr.ok());
    XkbLayout fromText(XkbKeymap::fromText(fr.text()), "en_US.UTF-8");
    EXPECT_EQ(typeThrough(fromText, "azerty \xE9").Utf8, "azerty é");

    std::string error;
    EXPECT_FALSE(XkbKeymap::fromText("xkb_keymap { nonsense", &error).ok());
    EXPECT_NE(error, "");
    EXPECT_FALSE(XkbKeymap::fromNames({"no-such-layout", "", "", ""}, &error).ok());
    EXPECT_NE(error.find("no-such-layout"), std::string::npos);
    // A layout that cannot be compiled types nothing rather than crashing.
    XkbLayout none{XkbKeymap{}};
    EXPECT_FALSE(none.keyForCharacter('a').has_value());
    EXPECT_TRUE(none.keyEdges('A', true).empty());
}

TEST(SystemLayoutNames, ReadsTheKeyboardFileAsTheShellWould) {
    const XkbLayoutNames names = SystemLayoutNames("# KEYBOARD CONFIGURATION FILE\n"
                                                   "XKBMODEL=\"pc105\"\n"
                                                   "  XKBLAYOUT='de,us' # two\n"
                                                   "XKBVARIANT=\"nodeadkeys,\"\n"
                                                   "XKBOPTIONS=\"\"\r\n"
                                                   "BACKSPACE=\"guess\"\n"
                                                   "XKBLAYOUT");
    EXPECT_EQ(names.Layout, "de,us");
    EXPECT_EQ(names.Variant, "nodeadkeys,");
    EXPECT_EQ(names.Model, "pc105");
    EXPECT_EQ(names.Options, "");
    EXPECT_TRUE(XkbKeymap::fromNames(names).ok());
    EXPECT_EQ(SystemLayoutNames("").Layout, "");
}

} // namespace
} // namespace quorvane
