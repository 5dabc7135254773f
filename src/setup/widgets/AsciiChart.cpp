#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/ByteFont.h"
#include "setup/widgets/ColumnList.h"
#include "setup/widgets/ListRows.h"

#include "config/CharEntry.h"
#include "config/DisplayText.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QPushButton>

namespace quorvane {

QString CharacterListText(const std::string& row) {
    // The tabs part the columns; every other byte is shown in display form.
    QString text;
    std::size_t column = 0;
    for (std::size_t tab = row.find('\t'); tab != std::string::npos; tab = row.find('\t', column)) {
        text +=
            QString::fromStdString(BytesToDisplayUtf8(std::string_view(row).substr(column, tab - column)));
        text += u'\t';
        column = tab + 1;
    }
    return text + QString::fromStdString(BytesToDisplayUtf8(std::string_view(row).substr(column)));
}

AsciiChart::AsciiChart(Configuration& config, PickerResults& results, QWidget* parent)
    : QDialog(parent), m_config(config), m_results(results),
      // The two header lines, word for word, each word over its column.
      m_list(new ColumnList({"Value\nASCII", "Char", "Code\nControl"}, this)) {
    setObjectName("AsciiChart");
    setWindowTitle("ASCII Chart");
    m_list->setObjectName("AsciiMenu");
    m_list->setFont(ByteFont());
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("AsciiOkButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("AsciiCancelButton");
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 1, 2);
    layout->addWidget(ok, 1, 0);
    layout->addWidget(cancel, 1, 1);
    connect(ok, &QPushButton::clicked, this, &AsciiChart::accept);
    connect(cancel, &QPushButton::clicked, this, &AsciiChart::reject);
    connect(m_list, &ColumnList::rowDoubleClicked, this, &AsciiChart::accept);
    fill();
}

void AsciiChart::setExtraRows(std::vector<std::string> rows) {
    if (rows == m_extra)
        return;
    m_extra = std::move(rows);
    fill();
}

void AsciiChart::fill() {
    m_list->clear();
    for (const auto& row : m_extra)
        m_list->addRow(CharacterListText(row));
    for (int code = 0; code < 256; ++code)
        m_list->addRow(CharacterListText(CharacterRow(code, false)));
    m_list->fitColumns();
    m_list->setCurrentRow(0);
    ShowRows(*m_list);
}

void AsciiChart::accept() {
    m_results.AsciiText = AsciiChartPick(m_extra, m_list->currentRow());
    m_config.ConfigChanged = kTrue;
    QDialog::accept();
}

void AsciiChart::reject() {
    m_results.AsciiText.clear();
    QDialog::reject();
}

} // namespace quorvane
