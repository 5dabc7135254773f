#pragma once
// Item view cells of one line of plain text, drawn as the style draws them for QStyledItemDelegate
// but with the text laid out once: the style lays each cell's text out three times (its size, its
// elision, its drawing), which is most of a table's repaint, and the history's table repaints on the
// engine's thread.

#include <QStyledItemDelegate>

namespace quorvane {

/// Paints what QStyledItemDelegate paints, pixel for pixel; cells whose text does not fit on one line,
/// and the cell with the focus, go to it.
class TextCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace quorvane
