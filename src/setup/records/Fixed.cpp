#include "setup/records/Fixed.h"

#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/HelpTopic.h"
#include "setup/widgets/DigitBox.h"

#include <QGridLayout>
#include <QLabel>

namespace quorvane {

Fixed::Fixed(Configuration& config, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_length(new DigitBox(this)) {
    setObjectName("Fixed");
    SetHelpTopic(this, kRecordChainTopic);
    setWindowTitle("Fixed Length Record");
    auto* text = new QLabel(
        "Enter Total Record Length of Fixed Length Records (1-32766) Including trailing Cr or CrLf", this);
    text->setWordWrap(true);
    m_length->setObjectName("Text1");
    m_length->onRefused = [this] { m_prompts.beep(); };
    auto* ok = namedButton("Command1", "Continue...", this);
    auto* cancel = namedButton("Command2", "Cancel", this);
    ok->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(text, 0, 0, 1, 2);
    layout->addWidget(boxLabel("Record Length:", m_length, this), 1, 0, 1, 2);
    layout->addWidget(m_length, 2, 0, 1, 2);
    layout->addWidget(ok, 3, 0);
    layout->addWidget(cancel, 3, 1);
    connect(ok, &QPushButton::clicked, this, &Fixed::accept);
    connect(cancel, &QPushButton::clicked, this, &Fixed::reject);
    connect(m_length, &QLineEdit::textEdited, this, [this] { m_config.ConfigChanged = kTrue; });
}

void Fixed::load() {
    m_length->setText(QString::number(m_config.RecordLength));
    m_length->setFocus(Qt::OtherFocusReason);
}

void Fixed::accept() {
    if (auto message = StoreFixedRecordLength(m_config, m_length->text().toStdString())) {
        refuseInput(m_prompts, *message, "Invalid Input", m_length);
        return;
    }
    QDialog::accept();
}

} // namespace quorvane
