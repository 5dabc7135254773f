#pragma once
// The Preferences dialog "Quorvane Preferences": the runtime window's options and the DDE topic.
// The rules are config/Preferences; this class mirrors its form.

#include "config/Configuration.h"
#include "config/Preferences.h"
#include "platform/UserPrompts.h"
#include "setup/KeystrokePreferencesBox.h"
#include "setup/MqttSettingsDialog.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvane {

/// Controls are named Frame1, Option1, Option2, Text1, Check1..Check7, Label1, Text2, Command1
/// ("&OK") and Command2 ("&Cancel").
class PreferencesDialog final : public QDialog {
public:
    PreferencesDialog(Configuration& config, UserPrompts& prompts, QWidget* parent = nullptr);

    /// The form as the controls show it now.
    PreferencesForm form() const;
    /// Shows the "&MQTT..." button (MqttButton), which opens the MQTT settings of `store`.
    void enableMqtt(SettingsStore& store, MqttClientFactory makeClient);
    /// Shows the "Keystrokes" group (KeystrokesFrame) on the settings of `store`, which OK writes
    /// back.
    void enableKeystrokes(SettingsStore& store);

    /// Help topic of the dialog.
    static constexpr int kHelpTopic = 150;

private:
    void showForm(const PreferencesForm& form);
    void updateEnabled();
    void ok();

    Configuration& m_config;
    UserPrompts& m_prompts;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QLineEdit* m_text1 = nullptr;
    std::array<QCheckBox*, 8> m_checks{};
    QLineEdit* m_text2 = nullptr;
    QPushButton* m_mqtt = nullptr;
    KeystrokePreferencesBox* m_keystrokes = nullptr;
    SettingsStore* m_store = nullptr;
    SettingsStore* m_keystrokeStore = nullptr;
    MqttClientFactory m_makeClient;
};

} // namespace quorvane
