#pragma once
// Keystrokes through the kernel's virtual keyboard (/dev/uinput): a keyboard device of our own
// that the desktop (any Wayland compositor, the X server) or the text console takes in like a
// plugged-in one, typing the keys of the user's layout.

#include "platform/Keyboard.h"
#include "platform/uinput/UinputCalls.h"
#include "platform/xkb/XkbLayout.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// The device node of the kernel's virtual input devices.
inline constexpr const char* kUinputPath = "/dev/uinput";

/// The udev rule that gives the user at the seat access to /dev/uinput.
inline constexpr const char* kUinputRule =
    R"(KERNEL=="uinput", SUBSYSTEM=="misc", TAG+="uaccess", OPTIONS+="static_node=uinput")";

/// The name the virtual keyboard shows to the system.
inline constexpr const char* kUinputDeviceName = "Quorvane virtual keyboard";

/// Timing of the virtual keyboard's keys.
struct UinputTiming {
    /// Pause after each key event, on top of the macro's delay between keystrokes.
    std::chrono::milliseconds KeyDelay{0};
    /// The least time a key is held down between its press and its release.
    std::chrono::milliseconds HoldTime{0};
    /// How long the first key waits for the desktop to take the new device in.
    std::chrono::milliseconds TakeInBound{2000};
    /// Pause after the desktop opened the device, while it sets up its keyboard, before the first key.
    std::chrono::milliseconds SettleTime{100};
};

/// A KeyboardInjector on a uinput device, typing the keys an XkbLayout says. The device is made by
/// open() and kept until destruction; keys it holds are released by restoreModifiers and by the
/// destructor. Caps Lock is known from the device's own Caps Lock light, which the desktop sets
/// (else from the state the layout was last told).
class UinputKeyboard final : public KeyboardInjector {
public:
    /// wait keeps the host running for that many milliseconds (the key delay and hold time).
    UinputKeyboard(XkbLayout& layout, UinputCalls& calls, UinputTiming timing,
                   std::function<void(int milliseconds)> wait);
    ~UinputKeyboard() override;
    UinputKeyboard(const UinputKeyboard&) = delete;
    UinputKeyboard& operator=(const UinputKeyboard&) = delete;

    /// Makes the device and waits until it is taken in (up to the bound). Nothing when it is ready;
    /// otherwise the message for the user: the path, the reason and, when access was refused, the
    /// rule to install. Later calls return the first answer.
    std::optional<std::string> open();
    /// Whether the device exists.
    bool isOpen() const { return m_fd >= 0; }
    /// Whether the desktop was seen to take the device in before the first key.
    bool takenIn() const { return m_takenIn; }
    /// Reads what the modifier state is now, for saveModifiers' wait and Caps Lock (the
    /// compositor's or the X server's state); without one only the device's light is known.
    void setStateSource(std::function<std::optional<XkbModifierState>()> source) {
        m_stateSource = std::move(source);
    }
    /// How long saveModifiers waits for the user's modifiers to be released.
    void setModifierWait(std::chrono::milliseconds wait) { m_modifierWait = wait; }

    void sendKey(std::uint16_t virtualKey, bool down) override;
    void sync() override {}
    void saveModifiers() override;
    void clearModifiers() override {}
    void restoreModifiers() override;
    bool capsLock() const override;
    void setCapsLock(bool on) override;

private:
    void edge(const KeyEdge& edge);
    void emit(std::uint16_t type, std::uint16_t code, std::int32_t value);
    void pause(std::chrono::milliseconds time);
    void readLights() const;
    void refreshState();
    void releaseOwnKeys();

    XkbLayout& m_layout;
    UinputCalls& m_calls;
    UinputTiming m_timing;
    std::function<void(int)> m_wait;
    std::function<std::optional<XkbModifierState>()> m_stateSource;
    std::chrono::milliseconds m_modifierWait{1000};
    int m_fd = -1;
    std::optional<std::optional<std::string>> m_opened;
    bool m_takenIn = false;
    struct Held {
        std::uint32_t Keycode;
        std::chrono::steady_clock::time_point Since;
    };
    std::vector<Held> m_held;
    mutable std::optional<bool> m_capsLight;     // the device's Caps Lock light, once the desktop set it
    mutable std::optional<bool> m_expectedLight; // what our own Caps Lock key will set it to
};

} // namespace quorvane
