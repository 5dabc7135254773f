#include "setup/tables/TransTbl.h"

#include "setup/records/DialogSupport.h"
#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/ByteFont.h"
#include "setup/widgets/ColumnList.h"
#include "setup/widgets/ListRows.h"
#include "setup/widgets/PickerHost.h"

#include <QFontDatabase>
#include <QGridLayout>

namespace quorvane {

namespace {

constexpr int kTransferTopic = 370;
constexpr int kPreInputTopic = 360;

} // namespace

TransTbl::TransTbl(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_pickers(pickers),
      // The two header lines, word for word, each word over its column.
      m_table(
          new ColumnList({"Ascii\nValue", "Ansi\nChar", "Ascii\nControl", "Current\nTranslation"}, this)) {
    setObjectName("TransTbl");
    setWindowTitle("Select Character to Translate ");
    m_table->setFont(ByteFont());
    m_table->setObjectName("TransTable");
    for (int code = 0; code < kCharCodes; ++code)
        m_table->addRow(CharacterListText(TranslationRowPrefix(code)));
    m_table->fitColumns();
    ShowRows(*m_table);
    auto* translateButton = namedButton("Command1", "Translate...", this);
    auto* ok = namedButton("Command2", "OK", this);
    auto* reset = namedButton("Command3", "Reset All", this);
    ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_table, 0, 0, 1, 3);
    layout->addWidget(translateButton, 1, 0);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(reset, 1, 2);

    connect(translateButton, &QPushButton::clicked, this, &TransTbl::translate);
    connect(m_table, &ColumnList::rowDoubleClicked, this, &TransTbl::translate);
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
    m_table->setRowText(code, CharacterListText(TranslationRow(m_config, m_kind, code)));
}

} // namespace quorvane
