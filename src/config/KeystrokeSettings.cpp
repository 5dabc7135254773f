#include "config/KeystrokeSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace quorvane {

namespace {

constexpr std::string_view kApplication = "Quorvane";
constexpr std::string_view kSection = "Keystrokes";

constexpr std::array<std::pair<KeystrokeBackendKind, std::string_view>, 4> kNames{{
    {KeystrokeBackendKind::Auto, "auto"},
    {KeystrokeBackendKind::X11, "x11"},
    {KeystrokeBackendKind::Wayland, "wayland"},
    {KeystrokeBackendKind::Uinput, "uinput"},
}};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool set(const char* value) {
    return value != nullptr && *value != '\0';
}

int storedTiming(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return 0;
    return std::clamp(value, 0, kMaxKeystrokeTiming);
}

} // namespace

std::string_view KeystrokeBackendName(KeystrokeBackendKind backend) {
    for (const auto& [b, name] : kNames)
        if (b == backend)
            return name;
    return "auto";
}

std::optional<KeystrokeBackendKind> KeystrokeBackendOfName(std::string_view name) {
    for (const auto& [backend, known] : kNames)
        if (sameIgnoringCase(name, known))
            return backend;
    return std::nullopt;
}

KeystrokeSession SessionOfEnvironment(const std::function<const char*(const char*)>& getenv) {
    KeystrokeSession session;
    const char* type = getenv("XDG_SESSION_TYPE");
    session.Wayland =
        set(getenv("WAYLAND_DISPLAY")) || (type != nullptr && sameIgnoringCase(type, "wayland"));
    session.X11 = set(getenv("DISPLAY"));
    return session;
}

KeystrokeBackendKind ChooseKeystrokeBackend(KeystrokeBackendKind wanted, const KeystrokeSession& session,
                                            const std::function<bool()>& compositorOffersVirtualKeyboard) {
    if (wanted != KeystrokeBackendKind::Auto)
        return wanted;
    // Under Wayland, DISPLAY names XWayland, which reaches only X programs: the session is Wayland's.
    if (session.Wayland)
        return compositorOffersVirtualKeyboard && compositorOffersVirtualKeyboard()
                   ? KeystrokeBackendKind::Wayland
                   : KeystrokeBackendKind::Uinput;
    if (session.X11)
        return KeystrokeBackendKind::X11;
    return KeystrokeBackendKind::Uinput;
}

KeystrokeSettings LoadKeystrokeSettings(const SettingsStore& store) {
    KeystrokeSettings settings;
    settings.Backend = KeystrokeBackendOfName(store.GetSetting(kApplication, kSection, "Backend", "auto"))
                           .value_or(KeystrokeBackendKind::Auto);
    settings.Layout = store.GetSetting(kApplication, kSection, "Layout", "");
    settings.Variant = store.GetSetting(kApplication, kSection, "Variant", "");
    settings.KeyDelay = storedTiming(store.GetSetting(kApplication, kSection, "KeyDelay", "0"));
    settings.HoldTime = storedTiming(store.GetSetting(kApplication, kSection, "HoldTime", "0"));
    return settings;
}

void SaveKeystrokeSettings(const KeystrokeSettings& settings, SettingsStore& store) {
    store.SaveSetting(kApplication, kSection, "Backend", KeystrokeBackendName(settings.Backend));
    store.SaveSetting(kApplication, kSection, "Layout", settings.Layout);
    store.SaveSetting(kApplication, kSection, "Variant", settings.Variant);
    store.SaveSetting(kApplication, kSection, "KeyDelay", std::to_string(settings.KeyDelay));
    store.SaveSetting(kApplication, kSection, "HoldTime", std::to_string(settings.HoldTime));
}

} // namespace quorvane
