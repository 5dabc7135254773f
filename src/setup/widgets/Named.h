#pragma once
// Controls are found by their object names (tests, the accessibility tree, help topics): a dialog
// builds each control and names it in one expression.

#include <QObject>
#include <QString>

namespace quorvane {

/// Gives a new control its object name and hands it back.
template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace quorvane
