#include "runtime/HistoryTableModel.h"

#include "records/HistoryExport.h"

#include <QBrush>
#include <QPalette>

namespace quorvane {

HistoryTableModel::HistoryTableModel(const RecordHistory& history, QObject* parent)
    : QAbstractTableModel(parent), m_history(history) {}

int HistoryTableModel::sync() {
    const std::uint64_t first = m_history.added() - m_history.size();
    const auto kept = static_cast<int>(m_history.size());
    const std::uint64_t gone = first - m_first;
    int removed = 0;
    if (m_rows > 0 && gone >= static_cast<std::uint64_t>(m_rows)) {
        // Every row shown has been dropped: start over.
        beginResetModel();
        removed = m_rows;
        m_first = first;
        m_rows = kept;
        endResetModel();
    } else {
        removed = m_rows > 0 ? static_cast<int>(gone) : 0;
        if (removed > 0) {
            beginRemoveRows({}, 0, removed - 1);
            m_first = first;
            m_rows -= removed;
            endRemoveRows();
        }
        m_first = first;
        if (kept > m_rows) {
            beginInsertRows({}, m_rows, kept - 1);
            m_rows = kept;
            endInsertRows();
        }
    }
    const int columns = kHistoryFieldColumn + m_history.widestRecord();
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
    return removed;
}

const HistoryRow* HistoryTableModel::rowAt(int row) const {
    const std::uint64_t absolute = m_first + static_cast<std::uint64_t>(row);
    const std::uint64_t first = m_history.added() - m_history.size();
    if (row < 0 || absolute < first || absolute >= m_history.added())
        return nullptr;
    return &m_history.row(static_cast<std::size_t>(absolute - first));
}

QString HistoryTableModel::plainText(int row, int column) const {
    const HistoryRow* record = rowAt(row);
    return record ? QString::fromStdString(HistoryCell(*record, column)) : QString();
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole) {
        const HistoryRow* record = rowAt(index.row());
        return record ? QString::fromStdString(HistoryDisplayCell(*record, index.column())) : QString();
    }
    if (role == Qt::TextAlignmentRole && index.column() == 1)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(static_cast<qulonglong>(m_first) + static_cast<qulonglong>(section) + 1);
    const std::vector<std::string> header = HistoryHeader(section - kHistoryFieldColumn + 1);
    return section < static_cast<int>(header.size())
               ? QString::fromStdString(header[static_cast<std::size_t>(section)])
               : QString();
}

} // namespace quorvane
