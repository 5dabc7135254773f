// The history table's cell delegate offscreen: a table drawn with it is, pixel for pixel, the table
// QStyledItemDelegate draws, for texts that fit, texts it elides, aligned texts, control signs in
// the byte font, selected cells and the cell with the focus. Leaves out editing (the history is read
// only) and right-to-left layouts.

#include "runtime/TextCellDelegate.h"
#include "setup/widgets/ByteFont.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QTableView>

namespace quorvane {
namespace {

struct Cell {
    const char* Text;
    Qt::Alignment Align;
};

// Rows of the table: short and long texts, numbers aligned right, control signs, nothing.
constexpr Cell kCells[][3]{
    {{"2026-12-08 14:05:09.042", Qt::AlignLeft}, {"17", Qt::AlignRight}, {"ST,GS,  102.5,g", Qt::AlignLeft}},
    {{"a text far wider than its column, which the style elides", Qt::AlignLeft},
     {"123456789012345678901234567890", Qt::AlignRight},
     {"\u240d\u240a\u2402 signs", Qt::AlignLeft}},
    {{"", Qt::AlignLeft},
     {"-0.25", Qt::AlignRight | Qt::AlignVCenter},
     {"Gr\u00fc\u00dfe OVER", Qt::AlignCenter}},
    {{"tab\there", Qt::AlignLeft}, {"", Qt::AlignRight}, {"two\nlines", Qt::AlignLeft}},
};

QImage drawn(QTableView& view, QAbstractItemDelegate* delegate) {
    view.setItemDelegate(delegate);
    view.viewport()->update();
    return view.viewport()->grab().toImage();
}

TEST(TextCellDelegate, DrawsEveryCellAsTheStyledDelegateDoes) {
    QStandardItemModel model(static_cast<int>(std::size(kCells)), 3);
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < 3; ++column) {
            const Cell& cell = kCells[row][column];
            auto* item = new QStandardItem(QString::fromUtf8(cell.Text));
            item->setTextAlignment(cell.Align);
            model.setItem(row, column, item);
        }
    QTableView view;
    view.setFont(WithByteSigns(view.font()));
    view.setModel(&model);
    view.setWordWrap(false);
    view.verticalHeader()->hide();
    view.horizontalHeader()->setDefaultSectionSize(150);
    view.resize(520, 200);
    view.show();
    view.selectionModel()->select(model.index(1, 0), QItemSelectionModel::Select);
    view.selectionModel()->select(model.index(2, 1), QItemSelectionModel::Select);
    view.selectionModel()->setCurrentIndex(model.index(0, 2), QItemSelectionModel::NoUpdate);
    view.setFocus();
    QApplication::processEvents();

    QStyledItemDelegate styled;
    TextCellDelegate ours;
    const QImage expected = drawn(view, &styled);
    const QImage actual = drawn(view, &ours);
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            differing += actual.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
    view.setItemDelegate(nullptr);
}

} // namespace
} // namespace quorvane
