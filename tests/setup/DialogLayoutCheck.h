#pragma once
// A dialog at its opening size: no caption or button is narrower or lower than it needs, none
// overlaps a sibling, and every input box has a name for assistive tools (its label as buddy). With
// QUORVANE_SCREENSHOTS naming a folder, the dialog is also saved there as a PNG (docs/images holds the
// committed ones). checkLayout does the same for a window at its current size.

#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDialog>
#include <QDir>
#include <QLabel>

namespace quorvane::test {

inline void checkLayout(QWidget& d, const QString& file) {
    QApplication::processEvents();
    std::vector<QWidget*> shown;
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&d) || (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)))
            continue;
        EXPECT_GE(w->width(), w->minimumSizeHint().width())
            << file.toStdString() << " " << w->objectName().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height())
            << file.toStdString() << " " << w->objectName().toStdString();
        shown.push_back(w);
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const QRect a(shown[i]->mapTo(&d, QPoint()), shown[i]->size());
            const QRect b(shown[j]->mapTo(&d, QPoint()), shown[j]->size());
            if (shown[i]->parentWidget() == shown[j]->parentWidget()) {
                EXPECT_FALSE(a.intersects(b))
                    << file.toStdString() << ": " << shown[i]->objectName().toStdString() << " "
                    << shown[j]->objectName().toStdString();
            }
        }
    for (QWidget* w : d.findChildren<QWidget*>()) {
        const bool box = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                         qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w);
        // A combo box's or spin box's own line edit is named through its box.
        if (!box || !w->isVisibleTo(&d) || qobject_cast<QComboBox*>(w->parentWidget()) ||
            qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        EXPECT_TRUE(accessible && !accessible->text(QAccessible::Name).isEmpty())
            << file.toStdString() << ": " << w->objectName().toStdString() << " has no accessible name";
    }
    const QByteArray folder = qgetenv("QUORVANE_SCREENSHOTS");
    if (!folder.isEmpty())
        d.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(file));
}

inline void checkAndSave(QDialog& d, const QString& file) {
    d.adjustSize();
    checkLayout(d, file);
}

} // namespace quorvane::test
