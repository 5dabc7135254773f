#pragma once
// A keyboard that records what is injected into it and what a text box would receive from it, and
// the US keyboard layout.

#include "platform/Clock.h"
#include "platform/Keyboard.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane::test {

/// The US layout's answers, as the Windows call VkKeyScanA gives them for bytes 0..127.
class UsKeyLayout final : public KeyLayout {
public:
    std::optional<KeyStroke> keyForCharacter(unsigned char c) const override {
        if (c >= 'a' && c <= 'z')
            return KeyStroke{static_cast<std::uint16_t>(c - 'a' + 'A'), 0};
        if (c >= 'A' && c <= 'Z')
            return KeyStroke{c, shiftstate::kShift};
        if (c >= '0' && c <= '9')
            return KeyStroke{c, 0};
        switch (c) {
        case 8:
            return KeyStroke{vk::kBackspace, 0};
        case 9:
            return KeyStroke{vk::kTab, 0};
        case 10:
            return KeyStroke{vk::kEnter, shiftstate::kControl};
        case 13:
            return KeyStroke{vk::kEnter, 0};
        case 27:
            return KeyStroke{27, 0};
        case ' ':
            return KeyStroke{32, 0};
        default:
            break;
        }
        for (const Punctuation& p : kPunctuation) {
            if (p.Plain == c)
                return KeyStroke{p.VirtualKey, 0};
            if (p.Shifted == c)
                return KeyStroke{p.VirtualKey, shiftstate::kShift};
        }
        return std::nullopt;
    }

    /// The byte a key gives on the US layout, or nothing for keys that type no character.
    static std::optional<char> characterOfKey(std::uint16_t virtualKey, bool shift, bool capsLock) {
        if (virtualKey >= 'A' && virtualKey <= 'Z')
            return static_cast<char>(shift != capsLock ? virtualKey : virtualKey - 'A' + 'a');
        if (virtualKey >= '0' && virtualKey <= '9')
            return shift ? kShiftedDigits[virtualKey - '0'] : static_cast<char>(virtualKey);
        switch (virtualKey) {
        case vk::kBackspace:
            return '\b';
        case vk::kTab:
            return '\t';
        case vk::kEnter:
            return '\r';
        case 32:
            return ' ';
        case vk::kDelete:
            return '\x7f';
        default:
            break;
        }
        for (const Punctuation& p : kPunctuation)
            if (p.VirtualKey == virtualKey)
                return shift ? p.Shifted : p.Plain;
        return std::nullopt;
    }

private:
    struct Punctuation {
        std::uint16_t VirtualKey;
        char Plain;
        char Shifted;
    };
    static constexpr Punctuation kPunctuation[] = {
        {186, ';', ':'},  {187, '=', '+'}, {188, ',', '<'}, {189, '-', '_'},  {190, '.', '>'},
        {191, '/', '?'},  {192, '`', '~'}, {219, '[', '{'}, {220, '\\', '|'}, {221, ']', '}'},
        {222, '\'', '"'}, {'1', '1', '!'}, {'2', '2', '@'}, {'3', '3', '#'},  {'4', '4', '$'},
        {'5', '5', '%'},  {'6', '6', '^'}, {'7', '7', '&'}, {'8', '8', '*'},  {'9', '9', '('},
        {'0', '0', ')'}};
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
};

/// One injected key event, with the fake clock's tick count when it was sent (0 without a clock);
/// equal when key and direction are.
struct InjectedKey {
    std::uint16_t VirtualKey = 0;
    bool Down = false;
    std::uint32_t At = 0;
    bool operator==(const InjectedKey& other) const {
        return VirtualKey == other.VirtualKey && Down == other.Down;
    }
};

/// Records key events and the calls around them; keeps Caps Lock and the held modifiers like a
/// real keyboard and collects the characters a plain text box would receive (Enter as CR,
/// Backspace as 8, Delete as 127; keys pressed with Control or Alt held type nothing).
class FakeKeyboard final : public KeyboardInjector {
public:
    void sendKey(std::uint16_t virtualKey, bool down) override {
        Keys.push_back({virtualKey, down, Time ? Time->tickCount() : 0});
        Calls.push_back((down ? "down " : "up ") + std::to_string(virtualKey));
        if (virtualKey == vk::kShift)
            m_shift = down;
        else if (virtualKey == vk::kControl)
            m_control = down;
        else if (virtualKey == vk::kAlt)
            m_alt = down;
        else if (virtualKey == vk::kCapsLock && down)
            CapsLock = !CapsLock;
        else if (down && !m_control && !m_alt) {
            if (auto c = UsKeyLayout::characterOfKey(virtualKey, m_shift || UserShift, CapsLock))
                Typed += *c;
        }
    }
    void sync() override { Calls.push_back("sync"); }
    void saveModifiers() override {
        Calls.push_back("save");
        m_savedUserShift = UserShift;
    }
    void clearModifiers() override {
        Calls.push_back("clear");
        UserShift = false;
    }
    void restoreModifiers() override {
        Calls.push_back("restore");
        UserShift = m_savedUserShift;
    }
    bool capsLock() const override { return CapsLock; }
    void setCapsLock(bool on) override {
        Calls.push_back(on ? "caps on" : "caps off");
        CapsLock = on;
    }

    /// Whether any of Shift, Control and Alt is still held by injected events.
    bool modifierHeld() const { return m_shift || m_control || m_alt; }

    const Clock* Time = nullptr;
    std::vector<InjectedKey> Keys;
    std::vector<std::string> Calls;
    std::string Typed;
    bool CapsLock = false;
    /// A Shift key the user holds physically; injected letters would come out upper case with it.
    bool UserShift = false;

private:
    bool m_shift = false;
    bool m_control = false;
    bool m_alt = false;
    bool m_savedUserShift = false;
};

} // namespace quorvane::test
