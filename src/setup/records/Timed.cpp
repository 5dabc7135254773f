#include "setup/records/Timed.h"

#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/HelpTopic.h"
#include "setup/widgets/DigitBox.h"

#include <QGridLayout>
#include <QLabel>

namespace quorvane {

Timed::Timed(Configuration& config, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_ticks(new DigitBox(this)) {
    setObjectName("Timed");
    SetHelpTopic(this, kRecordChainTopic);
    setWindowTitle("Timed Input");
    auto* text =
        new QLabel("Please enter the minimum amount of time in clock ticks between the input of each "
                   "data record (1 clock tick=1/18 sec).",
                   this);
    text->setWordWrap(true);
    m_ticks->setObjectName("ClockTicks");
    m_ticks->onRefused = [this] { m_prompts.beep(); };
    auto* ok = namedButton("OKButton", "Continue...", this);
    auto* cancel = namedButton("CancelButton", "Cancel", this);
    ok->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(text, 0, 0, 1, 2);
    layout->addWidget(
        boxLabel("Min. time between the arrival of each data record (clock ticks):", m_ticks, this), 1, 0, 1,
        2);
    layout->addWidget(m_ticks, 2, 0, 1, 2);
    layout->addWidget(ok, 3, 0);
    layout->addWidget(cancel, 3, 1);
    connect(ok, &QPushButton::clicked, this, &Timed::accept);
    connect(cancel, &QPushButton::clicked, this, &Timed::reject);
    connect(m_ticks, &QLineEdit::textEdited, this, [this] { m_config.ConfigChanged = kTrue; });
}

void Timed::load() {
    m_ticks->setText(QString::number(m_config.TimeBetweenRecords));
    m_ticks->setFocus(Qt::OtherFocusReason);
}

void Timed::accept() {
    if (auto message = StoreTimeBetweenRecords(m_config, m_ticks->text().toStdString())) {
        refuseInput(m_prompts, *message, "Invalid Input", m_ticks, MessageIcon::None);
        return;
    }
    QDialog::accept();
}

} // namespace quorvane
