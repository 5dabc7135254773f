#include "runtime/ItemBox.h"

#include "setup/widgets/ByteFont.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>

namespace quorvane {

ItemBox::ItemBox(QString tag, bool selectOnFocus, QWidget* parent)
    : QLineEdit(parent), m_tag(std::move(tag)), m_selectOnFocus(selectOnFocus) {
    setReadOnly(true);
    setFont(WithByteSigns(font()));
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void ItemBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_F1:
    case Qt::Key_F4:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        event->accept();
    }
}

void ItemBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // A click places the caret after the focus arrives: select once the click is done.
    if (m_selectOnFocus)
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void ItemBox::contextMenuEvent(QContextMenuEvent* event) {
    setFocus(Qt::MouseFocusReason);
    emit editMenuRequested(event->globalPos());
    event->accept();
}

void MouseButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    const bool left = event->button() == Qt::LeftButton;
    QPushButton::mouseReleaseEvent(event);
    if (left && inside)
        emit released();
}

} // namespace quorvane
