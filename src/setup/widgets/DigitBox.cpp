#include "setup/widgets/DigitBox.h"

#include <QKeyEvent>
#include <QTimer>

namespace quorvane {

DigitBox::DigitBox(QWidget* parent) : QLineEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

void DigitBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool character = text.size() == 1 && (text[0].unicode() >= 32 || event->key() == Qt::Key_Return ||
                                                event->key() == Qt::Key_Enter);
    const bool editsOtherwise = event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
                                event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    if (event->key() == Qt::Key_Backspace || (text.size() == 1 && text[0] >= u'0' && text[0] <= u'9')) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (character || editsOtherwise) {
        if (character && onRefused)
            onRefused();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DigitBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (onFocus)
        onFocus();
    selectAll();
}

} // namespace quorvane
