#pragma once
// How keystrokes reach the desktop: which back end types them, chosen for the session or by the
// user, and the settings of the back ends, kept in the per-user store (section "Keystrokes").

#include "platform/SettingsStore.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// The ways of typing: XTest on an X display, the Wayland compositor's virtual keyboard, the
/// kernel's virtual keyboard (/dev/uinput); Auto picks one for the session.
enum class KeystrokeBackendKind { Auto, X11, Wayland, Uinput };

/// The back end's name in the store and on the command line: "auto", "x11", "wayland", "uinput".
std::string_view KeystrokeBackendName(KeystrokeBackendKind backend);
/// The back end of a name, compared without regard to case; nothing for an unknown name.
std::optional<KeystrokeBackendKind> KeystrokeBackendOfName(std::string_view name);

/// The desktop session the program runs in.
struct KeystrokeSession {
    /// WAYLAND_DISPLAY is set (or XDG_SESSION_TYPE says wayland): a Wayland compositor.
    bool Wayland = false;
    /// DISPLAY is set: an X server (under Wayland, XWayland, which reaches only X programs).
    bool X11 = false;
};

/// The session of an environment; getenv stands in for the process environment.
KeystrokeSession SessionOfEnvironment(const std::function<const char*(const char*)>& getenv);

/// The back end that types: the wanted one unless it is Auto; for Auto, x11 in an X11 session, in
/// a Wayland session wayland when the compositor offers its virtual keyboard (asked only then),
/// else uinput; uinput without any display.
KeystrokeBackendKind ChooseKeystrokeBackend(KeystrokeBackendKind wanted, const KeystrokeSession& session,
                                            const std::function<bool()>& compositorOffersVirtualKeyboard);

/// The user's keystroke settings.
struct KeystrokeSettings {
    KeystrokeBackendKind Backend = KeystrokeBackendKind::Auto;
    /// The layout typed in through uinput ("de", "fr", ...); empty: the desktop's own.
    std::string Layout;
    /// Its variant ("nodeadkeys", ...); used only with Layout.
    std::string Variant;
    /// Milliseconds after each key event of the kernel's virtual keyboard, 0 to 1000.
    int KeyDelay = 0;
    /// Least milliseconds each key of the kernel's virtual keyboard is held down, 0 to 1000.
    int HoldTime = 0;
    bool operator==(const KeystrokeSettings&) const = default;
};

/// The largest KeyDelay and HoldTime.
inline constexpr int kMaxKeystrokeTiming = 1000;

/// The settings as stored; an unknown back end name reads as Auto, numbers out of range are
/// brought into it.
KeystrokeSettings LoadKeystrokeSettings(const SettingsStore& store);
/// Stores the settings.
void SaveKeystrokeSettings(const KeystrokeSettings& settings, SettingsStore& store);

} // namespace quorvane
