#include "config/KeystrokePreferences.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr std::string_view kApplication = "Quorvane";
constexpr std::string_view kSection = "Keystrokes";

int choiceOf(KeystrokeBackendKind backend) {
    for (std::size_t i = 0; i < kKeystrokeBackendChoices.size(); ++i)
        if (kKeystrokeBackendChoices[i].Backend == backend)
            return static_cast<int>(i);
    return 0;
}

KeystrokeBackendKind backendOf(int choice) {
    if (choice < 0 || static_cast<std::size_t>(choice) >= kKeystrokeBackendChoices.size())
        return KeystrokeBackendKind::Auto;
    return kKeystrokeBackendChoices[static_cast<std::size_t>(choice)].Backend;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool KeystrokeForm::uinputSettingsEnabled() const {
    const KeystrokeBackendKind backend = backendOf(Backend);
    return backend == KeystrokeBackendKind::Auto || backend == KeystrokeBackendKind::Uinput;
}

int KeystrokeChoiceOfStored(std::string_view stored) {
    return choiceOf(KeystrokeBackendOfName(stored).value_or(KeystrokeBackendKind::Auto));
}

KeystrokeForm LoadKeystrokeForm(const SettingsStore& store) {
    const KeystrokeSettings settings = LoadKeystrokeSettings(store);
    KeystrokeForm form;
    form.Backend = choiceOf(settings.Backend);
    form.Layout = settings.Layout;
    form.Variant = settings.Variant;
    form.KeyDelay = settings.KeyDelay;
    form.HoldTime = settings.HoldTime;
    return form;
}

void ApplyKeystrokeForm(const KeystrokeForm& shown, const KeystrokeForm& form, SettingsStore& store) {
    const auto save = [&](std::string_view key, std::string_view value) {
        store.SaveSetting(kApplication, kSection, key, value);
    };
    const auto timing = [](int ms) { return std::to_string(std::clamp(ms, 0, kMaxKeystrokeTiming)); };
    if (form.Backend != shown.Backend)
        save("Backend", KeystrokeBackendName(backendOf(form.Backend)));
    if (trimmed(form.Layout) != trimmed(shown.Layout))
        save("Layout", trimmed(form.Layout));
    if (trimmed(form.Variant) != trimmed(shown.Variant))
        save("Variant", trimmed(form.Variant));
    if (form.KeyDelay != shown.KeyDelay)
        save("KeyDelay", timing(form.KeyDelay));
    if (form.HoldTime != shown.HoldTime)
        save("HoldTime", timing(form.HoldTime));
}

} // namespace quorvane
