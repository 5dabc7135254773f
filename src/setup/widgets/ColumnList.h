#pragma once
// A list of rows in columns under captions that stand over their columns.

#include <QStringList>
#include <QTreeWidget>

namespace quorvane {

/// Rows of tab-separated columns under a header with one caption per column; a caption may hold a
/// line break for a second header line. The header is the view's own, so every caption stands over
/// its column at any font and scale. Columns are as wide as their widest caption or cell; the last
/// takes the rest of the width, and the box opens wide enough for all of them. A row without a tab
/// spans all columns (the pre-input window's " Ignore" row). Rows are addressed by number, as in a
/// plain list.
class ColumnList : public QTreeWidget {
    Q_OBJECT
public:
    ColumnList(const QStringList& captions, QWidget* parent = nullptr);

    void addRow(const QString& tabbed);
    /// Rewrites row `row` from its tab-separated text; out-of-range rows are ignored.
    void setRowText(int row, const QString& tabbed);
    /// The row's columns joined by tabs (a spanning row as it was given).
    QString rowText(int row) const;
    int count() const { return topLevelItemCount(); }
    int currentRow() const;
    void setCurrentRow(int row);
    /// Widens the columns, and the box, to their contents; call after filling.
    void fitColumns();

signals:
    /// A row was double-clicked (Enter goes to the dialog's default button).
    void rowDoubleClicked(int row);
};

} // namespace quorvane
