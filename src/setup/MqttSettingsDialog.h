#pragma once
// "Quorvane MQTT Settings": the [Mqtt] section of the per-user store, with Test Connection. Opened
// from the Preferences dialog; the rules are engine/mqtt's MqttSettings functions.

#include "engine/mqtt/MqttSettings.h"
#include "platform/MqttClient.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompts.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace quorvane {

/// Makes the client a connection test uses.
using MqttClientFactory = std::function<std::unique_ptr<MqttClient>()>;

/// Controls: Url, ClientId, User, PasswordFile, CaFile, CertFile, KeyFile, Qos, Prefix, Instrument,
/// FieldTopics, Discovery, Commands, QueueLimit, TestConnection, OkButton, CancelButton.
class MqttSettingsDialog final : public QDialog {
public:
    MqttSettingsDialog(SettingsStore& store, UserPrompts& prompts, MqttClientFactory makeClient,
                       QWidget* parent = nullptr);

    /// The settings as the controls show them now.
    MqttSettings settings() const;

private:
    void show(const MqttSettings& s);
    void testConnection();
    void ok();

    SettingsStore& m_store;
    UserPrompts& m_prompts;
    MqttClientFactory m_makeClient;
    MqttSettings m_loaded;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_clientId = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_passwordFile = nullptr;
    QLineEdit* m_caFile = nullptr;
    QLineEdit* m_certFile = nullptr;
    QLineEdit* m_keyFile = nullptr;
    QComboBox* m_qos = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_instrument = nullptr;
    QCheckBox* m_fieldTopics = nullptr;
    QCheckBox* m_discovery = nullptr;
    QCheckBox* m_commands = nullptr;
    QSpinBox* m_queueLimit = nullptr;
};

} // namespace quorvane
