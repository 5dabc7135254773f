#include "setup/PreferencesDialog.h"

#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "setup/HelpWindow.h"
#include "setup/widgets/Named.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvane {

PreferencesDialog::PreferencesDialog(Configuration& config, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts) {
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(QStringLiteral("Quorvane Preferences"));
    SetHelpTopic(this, kHelpTopic);

    auto* frame = named(new QGroupBox(QStringLiteral("Quorvane DDE Topic")), "Frame1");
    m_option1 =
        named(new QRadioButton(QStringLiteral("Use Com Port Name As DDE Topic (i.e.\"COM1\")")), "Option1");
    m_option2 = named(new QRadioButton(QStringLiteral("Specify Topic:")), "Option2");
    m_text1 = named(new QLineEdit, "Text1");
    m_text1->setMaxLength(static_cast<int>(kMaxDdeTopicLength));
    auto* topicRow = new QHBoxLayout;
    topicRow->addWidget(m_option2);
    topicRow->addWidget(m_text1, 1);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_option1);
    frameLayout->addLayout(topicRow);

    const char* const captions[] = {"Beep on Input",
                                    "Minimize on Activation",
                                    "Activate Initially Suspended",
                                    "Display Hoxel Window Always on Top",
                                    "Display DTR Toggle Button in Hoxel Window",
                                    "Display BREAK Button in Hoxel Window",
                                    "Display Date/Time in Hoxel Window"};
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    for (int i = 1; i <= 7; ++i) {
        m_checks[static_cast<std::size_t>(i)] = new QCheckBox(QString::fromLatin1(captions[i - 1]));
        m_checks[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Check%1").arg(i));
        layout->addWidget(m_checks[static_cast<std::size_t>(i)]);
    }
    auto* formatRow = new QHBoxLayout;
    auto* formatLabel = named(new QLabel(QStringLiteral("Date/Time Format:")), "Label1");
    formatRow->addWidget(formatLabel);
    m_text2 = named(new QLineEdit, "Text2");
    formatLabel->setBuddy(m_text2);
    formatRow->addWidget(m_text2, 1);
    layout->addLayout(formatRow);
    m_text1->setAccessibleName(QStringLiteral("DDE Topic"));
    // Beside the documented controls, and shown only where the user's store is at hand.
    m_keystrokes = new KeystrokePreferencesBox;
    m_keystrokes->hide();
    layout->addWidget(m_keystrokes);

    auto* ok = named(new QPushButton(QStringLiteral("&OK")), "Command1");
    auto* cancel = named(new QPushButton(QStringLiteral("&Cancel")), "Command2");
    ok->setDefault(true);
    // Beside the documented controls, and shown only where a run can publish.
    m_mqtt = named(new QPushButton(QStringLiteral("&MQTT...")), "MqttButton");
    m_mqtt->hide();
    connect(m_mqtt, &QPushButton::clicked, this, [this] {
        MqttSettingsDialog dialog(*m_store, m_prompts, m_makeClient, this);
        dialog.exec();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_mqtt);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_option1, &QRadioButton::toggled, this, &PreferencesDialog::updateEnabled);
    connect(m_checks[7], &QCheckBox::toggled, this, &PreferencesDialog::updateEnabled);
    connect(ok, &QPushButton::clicked, this, &PreferencesDialog::ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    showForm(LoadPreferences(config));
}

void PreferencesDialog::enableMqtt(SettingsStore& store, MqttClientFactory makeClient) {
    m_store = &store;
    m_makeClient = std::move(makeClient);
    m_mqtt->show();
}

void PreferencesDialog::enableKeystrokes(SettingsStore& store) {
    m_keystrokeStore = &store;
    m_keystrokes->load(store);
    m_keystrokes->show();
}

void PreferencesDialog::showForm(const PreferencesForm& form) {
    (form.Option2 ? m_option2 : m_option1)->setChecked(true);
    m_text1->setText(QString::fromStdString(BytesToUtf8(form.Text1)));
    const bool checks[] = {form.Check1, form.Check2, form.Check3, form.Check4,
                           form.Check5, form.Check6, form.Check7};
    for (int i = 1; i <= 7; ++i)
        m_checks[static_cast<std::size_t>(i)]->setChecked(checks[i - 1]);
    m_text2->setText(QString::fromStdString(BytesToUtf8(form.Text2)));
    updateEnabled();
}

PreferencesForm PreferencesDialog::form() const {
    PreferencesForm form;
    form.Option2 = m_option2->isChecked();
    form.Text1 = Utf8ToBytes(m_text1->text().toStdString());
    bool* checks[] = {&form.Check1, &form.Check2, &form.Check3, &form.Check4,
                      &form.Check5, &form.Check6, &form.Check7};
    for (int i = 1; i <= 7; ++i)
        *checks[i - 1] = m_checks[static_cast<std::size_t>(i)]->isChecked();
    form.Text2 = Utf8ToBytes(m_text2->text().toStdString());
    return form;
}

void PreferencesDialog::updateEnabled() {
    const PreferencesForm now = form();
    m_text1->setEnabled(now.text1Enabled());
    m_text2->setEnabled(now.text2Enabled());
}

void PreferencesDialog::ok() {
    if (auto refusal = ApplyPreferences(form(), m_config)) {
        m_prompts.beep();
        m_prompts.messageBox(*refusal, kInvalidDdeTopicTitle, MessageButtons::Ok, MessageIcon::None);
        m_text1->setFocus();
        return;
    }
    if (m_keystrokeStore != nullptr)
        m_keystrokes->apply(*m_keystrokeStore);
    accept();
}

} // namespace quorvane
