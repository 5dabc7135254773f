#include "runtime/TextCellDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace quorvane {

void TextCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const bool plain =
        (cell.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                          QStyleOptionViewItem::WrapText)) == 0;
    if (!plain || (cell.state & QStyle::State_HasFocus) != 0 || (cell.state & QStyle::State_Editing) != 0 ||
        cell.text.contains(QChar::LineSeparator) || cell.text.contains(QLatin1Char('\n'))) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // The text's place as the style finds it: the cell less the focus frame's margin at each side,
    // the line aligned in it by the layout and the layout's height by the cell's alignment.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(cell.direction);
    textOption.setAlignment(QStyle::visualAlignment(cell.direction, cell.displayAlignment));
    QTextLayout layout(cell.text, cell.font);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
    }
    const bool more = line.isValid() && layout.createLine().isValid();
    layout.endLayout();
    if (more || (line.isValid() && line.naturalTextWidth() > textRect.width())) {
        // Elided: the style's own way.
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    const QString text = cell.text;
    cell.text.clear();
    cell.features &= ~QStyleOptionViewItem::HasDisplay;
    painter->save();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    if (!text.isEmpty()) {
        painter->setClipRect(cell.rect);
        QPalette::ColorGroup group =
            (cell.state & QStyle::State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && (cell.state & QStyle::State_Active) == 0)
            group = QPalette::Inactive;
        painter->setPen(cell.palette.color(
            group, (cell.state & QStyle::State_Selected) != 0 ? QPalette::HighlightedText : QPalette::Text));
        const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, cell.displayAlignment,
                                                 layout.boundingRect().size().toSize(), textRect);
        layout.draw(painter, QPointF(textRect.x(), placed.top()));
    }
    painter->restore();
}

} // namespace quorvane
