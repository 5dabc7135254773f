#include "runtime/HistoryWindow.h"

#include "records/HistoryExport.h"
#include "runtime/HistoryTableModel.h"
#include "runtime/TextCellDelegate.h"
#include "setup/widgets/ByteFont.h"
#include "setup/widgets/HelpTopic.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QSaveFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <map>

namespace quorvane {

namespace {

// While records keep coming the table is refreshed at most this often: each refresh costs the
// engine's thread a repaint of the rows in view (milliseconds), and nobody reads 5,000 rows a second.
// The first record after a quiet spell shows at once.
constexpr int kRefreshMs = 500;
// A refresh due waits this much longer for the next record's engine step before it runs anyway.
constexpr int kLateMs = 100;

} // namespace

HistoryWindow::HistoryWindow(std::string_view portName, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), m_store(store),
      m_history(
          HistoryCapacityFromText(m_store.GetSetting(kRecordWindowsApplication, "History", "Size", ""))),
      m_refresh(this, kRefreshMs, kLateMs, [this] { refresh(); }) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(
        QStringLiteral("Quorvane - %1 History").arg(QString::fromStdString(std::string(portName))));
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetHelpTopic(this, kRecordWindowsTopic);

    m_model = new HistoryTableModel(m_history, this);
    m_table = new QTableView(this);
    m_table->setFont(WithByteSigns(m_table->font()));
    m_table->setObjectName(QStringLiteral("HistoryTable"));
    m_table->setModel(m_model);
    m_table->setItemDelegate(new TextCellDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setDefaultSectionSize(
        m_table->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
    m_table->setColumnWidth(
        0, m_table->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00.000")) + 16);

    auto* copy = new QAction(QStringLiteral("&Copy"), m_table);
    copy->setObjectName(QStringLiteral("HistoryCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &HistoryWindow::copySelection);
    m_table->addAction(copy);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* sizeLabel = new QLabel(QStringLiteral("&Keep the last"), this);
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("HistorySize"));
    m_size->setRange(static_cast<int>(RecordHistory::kMinCapacity),
                     static_cast<int>(RecordHistory::kMaxCapacity));
    m_size->setGroupSeparatorShown(true);
    m_size->setValue(static_cast<int>(m_history.capacity()));
    m_size->setSuffix(QStringLiteral(" records"));
    sizeLabel->setBuddy(m_size);
    connect(m_size, &QSpinBox::editingFinished, this, &HistoryWindow::sizeChosen);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("HistoryCount"));
    auto* exportButton = new QPushButton(QStringLiteral("&Export CSV..."), this);
    exportButton->setObjectName(QStringLiteral("ExportCsv"));
    connect(exportButton, &QPushButton::clicked, this, &HistoryWindow::chooseExportFile);

    auto* bar = new QHBoxLayout;
    bar->addWidget(sizeLabel);
    bar->addWidget(m_size);
    bar->addSpacing(12);
    bar->addWidget(m_count, 1);
    bar->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);

    resize(720, 420);
    refresh();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::recordCompleted(const CompletedRecord& record) {
    m_history.add(record);
    m_refresh.changed();
}

void HistoryWindow::refresh() {
    m_refresh.started();
    m_refresh.restartInterval();
    // Follows new records while the bottom row is in view; otherwise the rows in view stay in view
    // as the oldest records leave the top.
    QScrollBar* bar = m_table->verticalScrollBar();
    const bool follow = bar->value() >= bar->maximum();
    const int top = bar->value();
    const int removed = m_model->sync();
    if (follow)
        m_table->scrollToBottom();
    else
        bar->setValue(std::max(0, top - removed));
    m_count->setText(QStringLiteral("%L1 of %L2 kept").arg(m_history.size()).arg(m_history.capacity()));
}

void HistoryWindow::copySelection() {
    const QModelIndexList selected = m_table->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    // The bounding rows and columns of the selection, each row's unselected cells left empty.
    std::map<int, std::map<int, QString>> cells;
    int left = selected.front().column();
    int right = left;
    for (const QModelIndex& index : selected) {
        cells[index.row()][index.column()] = m_model->plainText(index.row(), index.column());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& [row, columns] : cells) {
        std::vector<std::string>& line = rows.emplace_back();
        for (int c = left; c <= right; ++c) {
            const auto at = columns.find(c);
            line.push_back(at == columns.end() ? std::string() : at->second.toStdString());
        }
    }
    QApplication::clipboard()->setText(QString::fromStdString(TabSeparated(rows)));
}

bool HistoryWindow::exportCsv(const QString& path) {
    // Written beside the target and renamed over it: a failed export leaves an older file whole.
    QSaveFile file(path);
    const std::string text = HistoryCsv(m_history);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit()) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("The history could not be written to %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void HistoryWindow::chooseExportFile() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), QString(),
                                                      QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        exportCsv(path);
}

void HistoryWindow::sizeChosen() {
    const auto capacity = static_cast<std::size_t>(m_size->value());
    if (capacity == m_history.capacity())
        return;
    m_history.setCapacity(capacity);
    m_store.SaveSetting(kRecordWindowsApplication, "History", "Size", std::to_string(capacity));
    refresh();
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace quorvane
