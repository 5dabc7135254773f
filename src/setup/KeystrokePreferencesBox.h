#pragma once
// The Preferences dialog's "Keystrokes" group: how records are typed in keystroke mode. It belongs
// to the user rather than to a configuration, so it edits the per-user store; the rules are
// config/KeystrokePreferences.

#include "config/KeystrokePreferences.h"

#include <QGroupBox>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace quorvane {

/// Controls are named KeystrokeBackend (drop-down), KeystrokeLayout, KeystrokeVariant, KeyDelay and
/// HoldTime.
class KeystrokePreferencesBox final : public QGroupBox {
public:
    explicit KeystrokePreferencesBox(QWidget* parent = nullptr);

    /// Shows the store's settings.
    void load(const SettingsStore& store);
    /// The form as the controls show it now.
    KeystrokeForm form() const;
    /// Stores what the user changed since load.
    void apply(SettingsStore& store) const;

private:
    void showForm(const KeystrokeForm& form);
    void updateEnabled();

    KeystrokeForm m_shown;
    QComboBox* m_backend = nullptr;
    QLineEdit* m_layout = nullptr;
    QLineEdit* m_variant = nullptr;
    QSpinBox* m_keyDelay = nullptr;
    QSpinBox* m_holdTime = nullptr;
};

} // namespace quorvane
