#pragma once
// The record history as a Qt table: rows follow the history in batches, so thousands of records a
// second cost the view one insertion and one removal per refresh.

#include "records/HistoryExport.h"

#include <QAbstractTableModel>

#include <cstdint>

namespace quorvane {

/// Rows are the records the view was last told about; sync() brings them up to the history.
class HistoryTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    /// The history must outlive the model.
    explicit HistoryTableModel(const RecordHistory& history, QObject* parent = nullptr);

    /// Rows the history dropped leave the top, new records join at the bottom; returns the number of
    /// rows that left the top.
    int sync();
    /// The cell's text as it leaves the window (copy, export): UTF-8, control bytes as they are.
    QString plainText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const HistoryRow* rowAt(int row) const;

    const RecordHistory& m_history;
    std::uint64_t m_first = 0; // the history's added() index of row 0
    int m_rows = 0;
    int m_columns = kHistoryFieldColumn;
};

} // namespace quorvane
