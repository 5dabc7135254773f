#include "setup/widgets/DigitBox.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace quorvane {

DigitBox::DigitBox(QWidget* parent) : QLineEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    // Keys are sorted below; the validator stops digits-only text being left by any other way in.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(this, &QLineEdit::inputRejected, this, [this] {
        if (onRefused)
            onRefused();
    });
}

void DigitBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Enter goes on to the dialog, which presses its default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool character = text.size() == 1 && text[0].unicode() >= 32;
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

void DigitBox::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void DigitBox::dropEvent(QDropEvent* event) {
    event->ignore();
}

void DigitBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (onFocus)
        onFocus();
    selectAll();
}

} // namespace quorvane
