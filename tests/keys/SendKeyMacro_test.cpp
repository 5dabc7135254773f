// Typing macro texts: the characters and event orders that come out on a US keyboard, the default
// keystroke translations, the user's keyboard state around typing, and the waits between events.
// The X11 side of the same events is covered by the integration tests.

#include "config/Configuration.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeKeyboard.h"
#include "keys/SendKeyMacro.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {
namespace {

using Keys = std::vector<test::InjectedKey>;
constexpr test::InjectedKey down(std::uint16_t key) {
    return {key, true, 0};
}
constexpr test::InjectedKey up(std::uint16_t key) {
    return {key, false, 0};
}

class Typing : public testing::Test {
protected:
    Typing() { keyboard.Time = &clock; }

    // The host's event loop as the fake clock sees it: time passes while it runs.
    void passTime(int milliseconds) {
        ++waits;
        clock.advance(static_cast<std::uint32_t>(milliseconds));
        const int total = clock.Now.Millisecond + milliseconds;
        clock.Now.Millisecond = total % 1000;
        const int seconds = clock.Now.Hour * 3600 + clock.Now.Minute * 60 + clock.Now.Second + total / 1000;
        clock.Now.Hour = seconds / 3600;
        clock.Now.Minute = seconds / 60 % 60;
        clock.Now.Second = seconds % 60;
    }

    std::int16_t type(const std::string& text, std::int32_t delay = 0) {
        return SendKeyMacro(text, delay,
                            KeyTypingHost{keyboard, layout, clock, [this](int ms) { passTime(ms); }});
    }

    test::FakeClock clock;
    test::FakeKeyboard keyboard;
    test::UsKeyLayout layout;
    int waits = 0;
};

struct TypedCase {
    std::string Text;
    std::string Typed;
};

class TypedText : public Typing, public testing::WithParamInterface<TypedCase> {};

TEST_P(TypedText, comesOutAsWritten) {
    EXPECT_EQ(type(GetParam().Text), keymacro::kOk);
    EXPECT_EQ(keyboard.Typed, GetParam().Typed);
    EXPECT_FALSE(keyboard.modifierHeld());
}

INSTANTIATE_TEST_SUITE_P(SendKeyMacro, TypedText,
                         testing::Values(TypedCase{"abc", "abc"}, TypedCase{"ABC", "ABC"},
                                         TypedCase{"{ENTER}~{enter}", "\r\r\r"},
                                         TypedCase{"{}}{{}{+}{^}{%}{~}{(}{)}{[}{]}", "}{+^%~()[]"},
                                         TypedCase{"+A", "a"}, TypedCase{"+(ab)", "AB"},
                                         TypedCase{"x{TAB}{BS 2}", "x\t\b\b"}, TypedCase{"{BREAK}c", ""}));

struct OrderCase {
    std::string Text;
    Keys Events;
};

class EventOrder : public Typing, public testing::WithParamInterface<OrderCase> {};

TEST_P(EventOrder, pressesAndReleasesInTurn) {
    type(GetParam().Text);
    EXPECT_EQ(keyboard.Keys, GetParam().Events);
}

INSTANTIATE_TEST_SUITE_P(
    SendKeyMacro, EventOrder,
    testing::Values(OrderCase{"+A", {down(16), up(16), down(65), up(65), down(16), up(16)}},
                    OrderCase{"+(ab)", {down(16), down(65), up(65), down(66), up(66), up(16)}},
                    OrderCase{"^c", {down(17), down(67), up(67), up(17)}},
                    OrderCase{"%f", {down(18), down(70), up(70), up(18)}},
                    OrderCase{"B", {down(16), down(66), up(66), up(16)}},
                    OrderCase{"{BREAK}c", {down(17), down(67), up(67), up(17)}}));

// Every translation that is not "NUL", typed as the engine hands it over.
class DefaultTranslation : public Typing, public testing::WithParamInterface<int> {};

TEST_P(DefaultTranslation, typesTheCharacterItStandsFor) {
    const std::string macro = DefaultKeystrokeTranslation()[static_cast<std::size_t>(GetParam())];
    ASSERT_EQ(type(macro), keymacro::kOk) << macro;
    EXPECT_EQ(keyboard.Typed, std::string(1, static_cast<char>(GetParam()))) << macro;
}

std::vector<int> translatedAsciiCodes() {
    std::vector<int> codes;
    const CharTable table = DefaultKeystrokeTranslation();
    for (int c = 0; c < 128; ++c)
        if (table[static_cast<std::size_t>(c)] != "NUL")
            codes.push_back(c);
    return codes;
}

INSTANTIATE_TEST_SUITE_P(SendKeyMacro, DefaultTranslation, testing::ValuesIn(translatedAsciiCodes()));

TEST_F(Typing, typesNothingWhenAnyPartFailsToParse) {
    EXPECT_EQ(type("abc{NOSUCHKEY}def"), keymacro::kUnknownKeyName);
    EXPECT_TRUE(keyboard.Calls.empty());
}

TEST_F(Typing, switchesCapsLockOffWhileTypingAndOnAgainAfterwards) {
    keyboard.CapsLock = true;
    type("abc");
    EXPECT_EQ(keyboard.Typed, "abc");
    EXPECT_TRUE(keyboard.CapsLock);
    EXPECT_EQ(keyboard.Calls.front(), "save");
    EXPECT_EQ(keyboard.Calls[2], "caps off");
    EXPECT_EQ(keyboard.Calls.back(), "caps on");
}

TEST_F(Typing, typesUnderTheUsersHeldShiftAsIfItWereUp) {
    keyboard.UserShift = true;
    type("abc");
    EXPECT_EQ(keyboard.Typed, "abc");
    EXPECT_TRUE(keyboard.UserShift);
    EXPECT_EQ(keyboard.Calls.back(), "restore");
}

TEST_F(Typing, syncsAfterEveryEvent) {
    type("a+b");
    for (std::size_t i = 2; i + 1 < keyboard.Calls.size(); i += 2)
        EXPECT_EQ(keyboard.Calls[i + 1], "sync") << keyboard.Calls[i];
}

TEST_F(Typing, waitsTheDelayAfterEveryDownAndUpEvent) {
    type("ab", 5);
    ASSERT_EQ(keyboard.Keys.size(), 4U);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(keyboard.Keys[i].At, 5 * i);
    EXPECT_EQ(clock.Ticks, 20U);
}

TEST_F(Typing, waitsNotAtAllWithoutADelay) {
    type("ab", 0);
    type("ab", -3);
    EXPECT_EQ(waits, 0);
}

TEST_F(Typing, waitsAcrossTheWrapOfTheTickCount) {
    clock.Ticks = 0xFFFF'FFFEU;
    type("a", 10);
    EXPECT_EQ(clock.Ticks, 0xFFFF'FFFEU + 20U);
}

TEST_F(Typing, pausesUntilTheDateTimeClockHasAdvancedTwoSecondsAfterAlt) {
    clock.Now.Millisecond = 400;
    type("%fx", 0);
    ASSERT_EQ(keyboard.Keys.size(), 6U);
    EXPECT_EQ(keyboard.Keys[4].At, 1600U);
}

TEST_F(Typing, endsTheAltPauseEvenWhenTheWallClockIsSetBack) {
    bool setBack = false;
    const auto host = KeyTypingHost{keyboard, layout, clock, [&](int ms) {
                                        passTime(std::min(ms, 100));
                                        if (!std::exchange(setBack, true))
                                            clock.Now.Hour -= 1;
                                    }};
    SendKeyMacro("%fx", 0, host);
    EXPECT_EQ(keyboard.Keys.at(4).At, 2000U);
}

} // namespace
} // namespace quorvane
