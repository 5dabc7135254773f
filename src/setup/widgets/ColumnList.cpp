#include "setup/widgets/ColumnList.h"

#include <QHeaderView>
#include <QStyle>

#include <algorithm>

namespace quorvane {

namespace {

void setColumns(QTreeWidgetItem& item, const QString& tabbed, int columns) {
    const QStringList parts = tabbed.split(u'\t');
    for (int c = 0; c < columns; ++c)
        item.setText(c, c < parts.size() ? parts[c] : QString());
}

} // namespace

ColumnList::ColumnList(const QStringList& captions, QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(static_cast<int>(captions.size()));
    setHeaderLabels(captions);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QHeaderView* top = header();
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->setSectionsMovable(false);
    top->setSectionsClickable(false);
    top->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit rowDoubleClicked(indexOfTopLevelItem(item)); });
}

void ColumnList::addRow(const QString& tabbed) {
    auto* item = new QTreeWidgetItem(this);
    if (!tabbed.contains(u'\t') && columnCount() > 1) {
        item->setText(0, tabbed);
        item->setFirstColumnSpanned(true);
        return;
    }
    setColumns(*item, tabbed, columnCount());
}

void ColumnList::setRowText(int row, const QString& tabbed) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        setColumns(*item, tabbed, columnCount());
}

QString ColumnList::rowText(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return {};
    if (item->isFirstColumnSpanned())
        return item->text(0);
    QStringList parts;
    for (int c = 0; c < columnCount(); ++c)
        parts.append(item->text(c));
    return parts.join(u'\t');
}

int ColumnList::currentRow() const {
    return indexOfTopLevelItem(currentItem());
}

void ColumnList::setCurrentRow(int row) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        setCurrentItem(item);
}

void ColumnList::fitColumns() {
    // Each column as wide as its widest caption or cell and two blanks, so that neighbours never
    // touch; the box wide enough for all of them without scrolling sideways.
    const int gap = fontMetrics().horizontalAdvance(QStringLiteral("  "));
    int width = 0;
    for (int c = 0; c < columnCount(); ++c) {
        const int wanted = std::max(sizeHintForColumn(c), header()->sectionSizeHint(c)) + gap;
        if (c + 1 < columnCount())
            setColumnWidth(c, wanted);
        width += wanted;
    }
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setMinimumWidth(width + scrollBar + 2 * frameWidth() + gap);
}

} // namespace quorvane
