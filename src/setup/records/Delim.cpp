#include "setup/records/Delim.h"

#include "config/CharEntry.h"
#include "config/CodePage.h"
#include "config/RecordRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/HelpTopic.h"
#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/ByteFont.h"
#include "setup/widgets/ColumnList.h"
#include "setup/widgets/DigitBox.h"
#include "setup/widgets/ListRows.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>

namespace quorvane {

Delim::Delim(Configuration& config, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_count(new DigitBox(this)),
      m_delimiters(new ColumnList({"ASCII", "Char", "Ctrl"}, this)) {
    setObjectName("Delim");
    SetHelpTopic(this, kRecordChainTopic);
    setWindowTitle("Delimited Record");
    m_count->setObjectName("Text1");
    m_count->onRefused = [this] { m_prompts.beep(); };
    m_delimiters->setObjectName("DelimOptions");
    m_delimiters->setFont(ByteFont());
    for (int code = 0; code < 256; ++code)
        m_delimiters->addRow(CharacterListText(CharacterRow(code, true)));
    m_delimiters->fitColumns();
    ShowRows(*m_delimiters);
    auto* ok = namedButton("Command1", "Continue...", this);
    auto* cancel = namedButton("Command2", "Cancel", this);
    ok->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(boxLabel("Maximum Number of Data Fields:", m_count, this), 0, 0, 1, 2);
    layout->addWidget(m_count, 1, 0, 1, 2);
    layout->addWidget(new QLabel("Delimiter Character:", this), 2, 0, 1, 2);
    layout->addWidget(m_delimiters, 3, 0, 1, 2);
    layout->addWidget(ok, 4, 0);
    layout->addWidget(cancel, 4, 1);
    connect(ok, &QPushButton::clicked, this, &Delim::accept);
    connect(cancel, &QPushButton::clicked, this, &Delim::reject);
}

void Delim::load() {
    m_count->setText(QString::number(m_config.FieldCount));
    const int code =
        m_config.FieldDelimiter.empty() ? 0 : static_cast<unsigned char>(m_config.FieldDelimiter[0]);
    m_delimiters->setCurrentRow(code);
    m_count->setFocus(Qt::OtherFocusReason);
}

void Delim::accept() {
    const int code = std::max(m_delimiters->currentRow(), 0);
    if (auto message = StoreDelimitedRecord(m_config, code, m_count->text().toStdString())) {
        refuseInput(m_prompts, *message, "Invalid Input", m_count);
        return;
    }
    QDialog::accept();
}

} // namespace quorvane
