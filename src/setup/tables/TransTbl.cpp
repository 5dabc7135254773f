#include "setup/tables/TransTbl.h"

#include "setup/records/DialogSupport.h"
#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/PickerHost.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

namespace quorvane {

namespace {

constexpr int kTransferTopic = 370;
constexpr int kPreInputTopic = 360;

} // namespace

TransTbl::TransTbl(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers),
      m_table(new QListWidget(this)) {
    setObjectName("TransTbl");
    setWindowTitle("Select Character to Translate ");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* header1 = new QLabel("Ascii     Ansi     Ascii                  Current", this);
    auto* header2 = new QLabel("Value    Char    Control               Translation", this);
    for (QWidget* w :
         {static_cast<QWidget*>(header1), static_cast<QWidget*>(header2), static_cast<QWidget*>(m_table)})
        w->setFont(fixed);
    m_table->setObjectName("TransTable");
    m_table->setMinimumHeight(360);
    for (int code = 0; code < kCharCodes; ++code)
        m_table->addItem(QString());
    auto* translateButton = namedButton("Command1", "Translate...", this);
    auto* ok = namedButton("Command2", "OK", this);
    auto* reset = namedButton("Command3", "Reset All", this);
    ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(header1, 0, 0, 1, 3);
    layout->addWidget(header2, 1, 0, 1, 3);
    layout->addWidget(m_table, 2, 0, 1, 3);
    layout->addWidget(translateButton, 3, 0);
    layout->addWidget(ok, 3, 1);
    layout->addWidget(reset, 3, 2);
    setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(header2->text()) + 160);

    connect(translateButton, &QPushButton::clicked, this, &TransTbl::translate);
    connect(m_table, &QListWidget::itemDoubleClicked, this, &TransTbl::translate);
    connect(ok, &QPushButton::clicked, this, &TransTbl::accept);
    connect(reset, &QPushButton::clicked, this, &TransTbl::resetAll);
}

void TransTbl::DefineTranslate() {
    open(TransferTranslationOpening(m_config.OutputMode), kTransferTopic);
}

void TransTbl::PreInTrans() {
    open(PreInputTranslationOpening(), kPreInputTopic);
}

void TransTbl::open(const TranslationOpening& opening, int helpTopic) {
    m_prompts.setWaitCursor(true);
    m_kind = opening.Kind;
    m_helpTopic = helpTopic;
    setWindowTitle(QString::fromStdString(opening.Caption));
    rewriteRows();
    m_prompts.setWaitCursor(false);
    setProperty(kHelpTopicProperty, helpTopic);
    m_pickers.runner().run(*this);
}

void TransTbl::translate() {
    const int code = m_table->currentRow();
    if (code < 0 || code >= kCharCodes)
        return;
    std::string picked;
    switch (m_kind) {
    case TranslationKind::Keystroke:
        picked = m_pickers.pickKeystroke(m_helpTopic);
        break;
    case TranslationKind::Character:
        picked = m_pickers.pickAscii(m_helpTopic);
        break;
    case TranslationKind::PreInput:
        picked = m_pickers.pickAscii(m_helpTopic, {kIgnoreRow, kVoidRecordRow});
        break;
    }
    StoreTranslation(m_config, m_kind, code, picked);
    rewriteRow(code);
}

void TransTbl::resetAll() {
    m_prompts.setWaitCursor(true);
    ResetTranslationTable(m_config, m_kind);
    rewriteRows();
    m_prompts.setWaitCursor(false);
}

void TransTbl::rewriteRows() {
    for (int code = 0; code < kCharCodes; ++code)
        rewriteRow(code);
}

void TransTbl::rewriteRow(int code) {
    m_table->item(code)->setText(CharacterListText(TranslationRow(m_config, m_kind, code)));
}

} // namespace quorvane
