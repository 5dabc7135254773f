#include "setup/MqttSettingsDialog.h"

#include "engine/mqtt/MqttConnectionTest.h"
#include "setup/widgets/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvane {

namespace {

constexpr int kTestTimeoutMs = 5000;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::string text(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

} // namespace

MqttSettingsDialog::MqttSettingsDialog(SettingsStore& store, UserPrompts& prompts,
                                       MqttClientFactory makeClient, QWidget* parent)
    : QDialog(parent), m_store(store), m_prompts(prompts), m_makeClient(std::move(makeClient)),
      m_loaded(ReadMqttSettings(store)) {
    setObjectName(QStringLiteral("MqttSettings"));
    setWindowTitle(QStringLiteral("Quorvane MQTT Settings"));
    auto* form = new QFormLayout;
    const auto line = [&](const char* name, const char* caption, const char* hint) {
        auto* edit = named(new QLineEdit, name);
        edit->setPlaceholderText(QString::fromLatin1(hint));
        form->addRow(QString::fromLatin1(caption), edit);
        return edit;
    };
    m_url = line("Url", "Broker &URL:", "mqtt://host:1883 or mqtts://host:8883; empty: no publishing");
    m_clientId = line("ClientId", "&Client ID:", "quorvane-<host>-<instrument>");
    m_user = line("User", "User &name:", "");
    m_passwordFile = line("PasswordFile", "&Password file:", "a file whose first line is the password");
    m_caFile = line("CaFile", "C&A certificate:", "PEM file; empty: the system's authorities");
    m_certFile = line("CertFile", "Client c&ertificate:", "PEM file");
    m_keyFile = line("KeyFile", "Client &key:", "PEM file");
    m_qos = named(new QComboBox, "Qos");
    m_qos->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    form->addRow(QStringLiteral("&QoS:"), m_qos);
    m_prefix = line("Prefix", "Topic p&refix:", "quorvane");
    m_instrument = line("Instrument", "&Instrument:", "the configuration file's name");
    m_queueLimit = named(new QSpinBox, "QueueLimit");
    m_queueLimit->setRange(1, 1 << 20);
    m_queueLimit->setSuffix(QStringLiteral(" MiB"));
    form->addRow(QStringLiteral("&Waiting records at most:"), m_queueLimit);
    m_fieldTopics = named(new QCheckBox(QStringLiteral("One retained topic per &field")), "FieldTopics");
    m_discovery =
        named(new QCheckBox(QStringLiteral("Home Assistant &discovery of numeric fields")), "Discovery");
    m_commands = named(new QCheckBox(QStringLiteral("Take c&ommands from the broker")), "Commands");

    auto* test = named(new QPushButton(QStringLiteral("&Test Connection")), "TestConnection");
    auto* ok = named(new QPushButton(QStringLiteral("&OK")), "OkButton");
    auto* cancel = named(new QPushButton(QStringLiteral("&Cancel")), "CancelButton");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(test);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_fieldTopics);
    layout->addWidget(m_discovery);
    layout->addWidget(m_commands);
    layout->addLayout(buttons);
    connect(test, &QPushButton::clicked, this, &MqttSettingsDialog::testConnection);
    connect(ok, &QPushButton::clicked, this, &MqttSettingsDialog::ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    show(m_loaded);
}

void MqttSettingsDialog::show(const MqttSettings& s) {
    m_url->setText(text(s.Url));
    m_clientId->setText(text(s.ClientId));
    m_user->setText(text(s.User));
    m_passwordFile->setText(text(s.PasswordFile));
    m_caFile->setText(text(s.CaFile));
    m_certFile->setText(text(s.CertFile));
    m_keyFile->setText(text(s.KeyFile));
    m_qos->setCurrentIndex(s.Qos);
    m_prefix->setText(text(s.Prefix));
    m_instrument->setText(text(s.Instrument));
    m_queueLimit->setValue(static_cast<int>(s.QueueLimitBytes >> 20));
    m_fieldTopics->setChecked(s.FieldTopics);
    m_discovery->setChecked(s.Discovery);
    m_commands->setChecked(s.Commands);
}

MqttSettings MqttSettingsDialog::settings() const {
    MqttSettings s = m_loaded; // keeps what the dialog does not show (the discovery prefix)
    s.Url = text(m_url);
    s.ClientId = text(m_clientId);
    s.User = text(m_user);
    s.PasswordFile = text(m_passwordFile);
    s.CaFile = text(m_caFile);
    s.CertFile = text(m_certFile);
    s.KeyFile = text(m_keyFile);
    s.Qos = m_qos->currentIndex();
    s.Prefix = text(m_prefix).empty() ? std::string("quorvane") : text(m_prefix);
    s.Instrument = text(m_instrument);
    s.QueueLimitBytes = static_cast<std::uint64_t>(m_queueLimit->value()) << 20;
    s.FieldTopics = m_fieldTopics->isChecked();
    s.Discovery = m_discovery->isChecked();
    s.Commands = m_commands->isChecked();
    return s;
}

void MqttSettingsDialog::testConnection() {
    const MqttSettings s = settings();
    if (s.Url.empty()) {
        m_prompts.messageBox("Enter the broker's URL first.", "Test Connection", MessageButtons::Ok,
                             MessageIcon::Exclamation);
        m_url->setFocus();
        return;
    }
    m_prompts.setWaitCursor(true);
    const std::unique_ptr<MqttClient> client = m_makeClient();
    const MqttTestResult result = TestMqttConnection(*client, s, "quorvane-test-connection", kTestTimeoutMs);
    m_prompts.setWaitCursor(false);
    m_prompts.messageBox(result.Text, "Test Connection", MessageButtons::Ok,
                         result.Connected ? MessageIcon::Information : MessageIcon::Exclamation);
}

void MqttSettingsDialog::ok() {
    const MqttSettings s = settings();
    if (!s.Url.empty()) {
        if (const std::string problem = CheckMqttSettings(s); !problem.empty()) {
            m_prompts.beep();
            m_prompts.messageBox(problem, "Invalid MQTT Settings", MessageButtons::Ok,
                                 MessageIcon::Exclamation);
            m_url->setFocus();
            return;
        }
    }
    SaveMqttSettings(m_store, s);
    accept();
}

} // namespace quorvane
