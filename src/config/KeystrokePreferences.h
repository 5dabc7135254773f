#pragma once
// What the Preferences dialog's keystroke controls show and store: the back end drop-down, the
// layout override and the timing of the kernel's virtual keyboard. The dialog only mirrors this form.

#include "config/KeystrokeSettings.h"

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

/// One entry of the back-end drop-down.
struct KeystrokeBackendChoice {
    KeystrokeBackendKind Backend;
    std::string_view Caption;
};

/// The drop-down's entries in their order.
inline constexpr std::array<KeystrokeBackendChoice, 4> kKeystrokeBackendChoices{{
    {KeystrokeBackendKind::Auto, "Automatic"},
    {KeystrokeBackendKind::X11, "X11 (XTest)"},
    {KeystrokeBackendKind::Wayland, "Wayland virtual keyboard"},
    {KeystrokeBackendKind::Uinput, "Kernel virtual keyboard (uinput)"},
}};

/// The state of the keystroke controls.
struct KeystrokeForm {
    int Backend = 0; ///< index into kKeystrokeBackendChoices
    std::string Layout;
    std::string Variant;
    int KeyDelay = 0;
    int HoldTime = 0;

    /// Layout, variant, delay and hold are the kernel keyboard's; they apply unless the choice is
    /// another back end.
    bool uinputSettingsEnabled() const;
    /// The variant means something only beside a layout.
    bool variantEnabled() const { return uinputSettingsEnabled() && !Layout.empty(); }
    bool operator==(const KeystrokeForm&) const = default;
};

/// The entry a stored back-end name shows (case ignored); an unknown name shows Automatic, as it
/// reads.
int KeystrokeChoiceOfStored(std::string_view stored);

/// The form as the dialog opens on the store.
KeystrokeForm LoadKeystrokeForm(const SettingsStore& store);

/// "&OK": stores what the user changed, from the form opened on `shown`; entries the user left as
/// they were keep their stored text. Layout and variant are stored without surrounding blanks;
/// timings are brought into 0 to kMaxKeystrokeTiming.
void ApplyKeystrokeForm(const KeystrokeForm& shown, const KeystrokeForm& form, SettingsStore& store);

} // namespace quorvane
