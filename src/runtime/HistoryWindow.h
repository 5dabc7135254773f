#pragma once
// The record history window: the last N records in a table, newest at the bottom, following new
// records unless the user scrolled away from the bottom; copy and CSV export.

#include "engine/RecordObserver.h"
#include "platform/SettingsStore.h"
#include "records/RecordHistory.h"
#include "runtime/PacedRefresh.h"

#include <QWidget>

class QLabel;
class QSpinBox;
class QTableView;

namespace quorvane {

class HistoryTableModel;

/// Object names: `HistoryTable`, `HistorySize` (the bound N, stored per user), `ExportCsv`,
/// `HistoryCount`.
class HistoryWindow final : public QWidget, public RecordObserver {
    Q_OBJECT
public:
    /// `store` keeps the bound; it must outlive the window.
    HistoryWindow(std::string_view portName, SettingsStore& store, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    void recordCompleted(const CompletedRecord& record) override;

    const RecordHistory& history() const { return m_history; }
    /// Brings the table up to the history now (it does so by itself a few times a second).
    void refresh();
    /// Puts the selected cells on the clipboard as tab-separated lines.
    void copySelection();
    /// Writes every kept record to `path` as CSV; false, after telling the user, when it cannot.
    bool exportCsv(const QString& path);

signals:
    /// The window was closed by the user.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseExportFile();
    void sizeChosen();

    SettingsStore& m_store;
    RecordHistory m_history;
    HistoryTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QSpinBox* m_size = nullptr;
    QLabel* m_count = nullptr;
    PacedRefresh m_refresh;
};

/// The per-user entries of the record windows: application "Quorvane", section "History" key
/// "Size" (the bound N); sections "History" and "Plot", key the port name, for each window's
/// geometry.
inline constexpr const char* kRecordWindowsApplication = "Quorvane";

} // namespace quorvane
