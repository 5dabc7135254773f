#pragma once
// Lists of characters and keys open tall enough to choose from without scrolling at every step.

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTreeView>

namespace quorvane {

/// The rows a picker's or a character list's box shows when it opens.
inline constexpr int kOpenListRows = 20;

/// Makes `list` at least tall enough for `rows` of its rows (and its header, if it has one), in its
/// font at the screen's scale.
inline void ShowRows(QAbstractItemView& list, int rows = kOpenListRows) {
    const bool any = list.model() && list.model()->rowCount() > 0;
    const int row = any ? list.sizeHintForRow(0) : list.fontMetrics().height();
    int header = 0;
    if (const auto* tree = qobject_cast<QTreeView*>(&list); tree && !tree->isHeaderHidden())
        header = tree->header()->sizeHint().height();
    list.setMinimumHeight(row * rows + header + 2 * list.frameWidth());
}

} // namespace quorvane
