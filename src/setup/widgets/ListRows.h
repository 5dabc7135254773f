#pragma once
// Lists of characters and keys open tall enough to choose from without scrolling at every step.

#include <QListWidget>

namespace quorvane {

/// The rows a picker's or a character list's box shows when it opens.
inline constexpr int kOpenListRows = 20;

/// Makes `list` at least tall enough for `rows` of its rows, in its font at the screen's scale.
inline void ShowRows(QListWidget& list, int rows = kOpenListRows) {
    const int row = list.count() > 0 ? list.sizeHintForRow(0) : list.fontMetrics().height();
    list.setMinimumHeight(row * rows + 2 * list.frameWidth());
}

} // namespace quorvane
