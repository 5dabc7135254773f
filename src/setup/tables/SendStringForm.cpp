#include "setup/tables/SendStringForm.h"

#include "config/CodePage.h"
#include "config/SerialOutputRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/DigitBox.h"
#include "setup/widgets/PickerHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvane {

namespace {

constexpr int kAsciiChartTopic = 380;
constexpr const char* kActionCaptions[] = {"Transmit String", "Toggle DTR", "Issue Break"};

std::size_t slot(int k) {
    return static_cast<std::size_t>(k);
}

} // namespace

SendStringForm::SendStringForm(Configuration& config, UserPrompts& prompts, PickerHost& pickers,
                               QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers), m_names(new QComboBox(this)),
      m_text(new CharEntryBox(pickers.internalClipboard(), this)), m_caption(new QLineEdit(this)),
      m_ack(new CharEntryBox(pickers.internalClipboard(), this)), m_actions{},
      m_timerOn(new QCheckBox("Enable Timer On Activation", this)),
      m_timerStringLabel(new QLabel("Timer Controlled Output String", this)),
      m_timerString(new CharEntryBox(pickers.internalClipboard(), this)), m_interval(new DigitBox(this)),
      m_asciiButton(namedButton("AsciiChartButton", "&ASCII Chart...", this)),
      m_done(namedButton("DoneButton", "OK", this)) {
    setObjectName("SendStringForm");
    setWindowTitle("Output String Editor");
    m_names->setObjectName("StringNames");
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    for (int k = 1; k <= kOutputStringCount; ++k)
        m_names->addItem(QStringLiteral("String %1").arg(k));
    m_text->setObjectName("StringText");
    m_caption->setObjectName("StringControlCaption");
    m_ack->setObjectName("AckString");
    m_timerOn->setObjectName("TimerOn");
    m_timerStringLabel->setObjectName("TimerStringLabel");
    m_timerString->setObjectName("TimerString");
    m_interval->setObjectName("Interval");
    m_done->setDefault(true);

    auto* buttonFrame = new QGroupBox("Button Controlled Output", this);
    auto* buttonGrid = new QGridLayout(buttonFrame);
    buttonGrid->addWidget(new QLabel("String Name", buttonFrame), 0, 0);
    buttonGrid->addWidget(new QLabel("Button Caption", buttonFrame), 0, 1);
    buttonGrid->addWidget(m_names, 1, 0);
    buttonGrid->addWidget(m_caption, 1, 1);
    buttonGrid->addWidget(new QLabel("Output String", buttonFrame), 2, 0, 1, 2);
    buttonGrid->addWidget(m_text, 3, 0, 1, 2);

    auto* timerFrame = new QGroupBox("Timed Automatic Output", this);
    auto* actionFrame = new QGroupBox("Timer Action", timerFrame);
    auto* actionColumn = new QVBoxLayout(actionFrame);
    for (int i = 0; i < 3; ++i) {
        m_actions[i] = new QRadioButton(kActionCaptions[i], actionFrame);
        m_actions[i]->setObjectName(QStringLiteral("Action_%1").arg(i));
        actionColumn->addWidget(m_actions[i]);
        connect(m_actions[i], &QRadioButton::toggled, this, &SendStringForm::actionChosen);
    }
    auto* timerGrid = new QGridLayout(timerFrame);
    timerGrid->addWidget(actionFrame, 0, 0, 3, 1);
    timerGrid->addWidget(m_timerOn, 0, 1);
    timerGrid->addWidget(new QLabel("Interval (ms)", timerFrame), 1, 1);
    timerGrid->addWidget(m_interval, 2, 1);
    timerGrid->addWidget(m_timerStringLabel, 3, 0, 1, 2);
    timerGrid->addWidget(m_timerString, 4, 0, 1, 2);
    timerGrid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_asciiButton);
    buttons->addStretch();
    buttons->addWidget(m_done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buttonFrame);
    layout->addWidget(boxLabel("Acknowledgement String", m_ack, this));
    layout->addWidget(m_ack);
    layout->addWidget(timerFrame);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    connect(m_names, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!m_loading && row >= 0)
            showString(row + 1);
    });
    // A name edited in place stays the entry's name while the dialog lives; names are not stored.
    connect(m_names, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!m_loading && m_names->currentIndex() >= 0)
            m_names->setItemText(m_names->currentIndex(), text);
    });
    connect(m_text, &CharEntryBox::edited, this, [this] {
        m_config.OutputString[slot(m_string)] = m_text->storedText();
        m_config.ConfigChanged = kTrue;
    });
    connect(m_ack, &CharEntryBox::edited, this, [this] {
        m_config.AckString = m_ack->storedText();
        m_config.ConfigChanged = kTrue;
    });
    connect(m_timerString, &CharEntryBox::edited, this, [this] {
        m_config.TimerString = m_timerString->storedText();
        m_config.ConfigChanged = kTrue;
    });
    connect(m_caption, &QLineEdit::editingFinished, this, &SendStringForm::storeCaption);
    connect(m_timerOn, &QCheckBox::clicked, this, [this] { m_config.ConfigChanged = kTrue; });
    m_interval->onRefused = [this] { m_prompts.beep(); };
    connect(m_asciiButton, &QPushButton::clicked, this, [this] {
        CharEntryBox* target = m_target;
        const std::string picked = m_pickers.pickAscii(kAsciiChartTopic);
        if (!target)
            return;
        if (!picked.empty())
            target->insertPicked(picked);
        // The focus goes back to the box only once the window is active again after the chart.
        activateWindow();
        target->setFocus(Qt::OtherFocusReason);
    });
    connect(m_done, &QPushButton::clicked, this, &SendStringForm::accept);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
}

void SendStringForm::load() {
    m_loading = true;
    m_ack->setStoredText(m_config.AckString);
    m_names->setCurrentIndex(0);
    m_loading = false;
    showString(1);
    m_interval->setText(QString::number(m_config.TimerInterval));
    m_timerString->setStoredText(m_config.TimerString);
    m_timerOn->setChecked((m_config.TimerFlags & 1) != 0);
    m_actions[TimerActionOfFlags(m_config.TimerFlags)]->setChecked(true);
    actionChosen();
    m_target = nullptr;
    m_asciiButton->setEnabled(false);
}

void SendStringForm::showString(int k) {
    m_string = std::clamp(k, 1, kOutputStringCount);
    m_text->setStoredText(m_config.OutputString[slot(m_string)]);
    m_caption->setText(QString::fromStdString(BytesToUtf8(m_config.OutputStringName[slot(m_string)])));
}

void SendStringForm::storeCaption() {
    StoreOutputStringName(m_config, m_string, Utf8ToBytes(m_caption->text().toStdString()));
}

void SendStringForm::actionChosen() {
    const bool transmit = m_actions[0]->isChecked();
    m_timerString->setVisible(transmit);
    m_timerStringLabel->setVisible(transmit);
}

void SendStringForm::focusChanged(QWidget* now) {
    if (!now || now->window() != this || now == m_asciiButton)
        return;
    if (now == m_text || now == m_ack || now == m_timerString) {
        m_target = static_cast<CharEntryBox*>(now);
        m_asciiButton->setEnabled(true);
    } else {
        m_asciiButton->setEnabled(false);
    }
}

void SendStringForm::accept() {
    storeCaption();
    int action = 0;
    for (int i = 0; i < 3; ++i)
        if (m_actions[i]->isChecked())
            action = i;
    if (auto message =
            StoreTimedOutput(m_config, m_interval->text().toStdString(), m_timerOn->isChecked(), action)) {
        refuseInput(m_prompts, *message, "", m_interval, MessageIcon::None);
        return;
    }
    QDialog::accept();
}

void SendStringForm::reject() {
    // The strings are stored as they are typed; the caption, interval and timer action must not be
    // the only edits a close throws away.
    accept();
}

} // namespace quorvane
