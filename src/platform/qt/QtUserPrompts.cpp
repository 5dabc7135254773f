#include "platform/qt/QtUserPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace quorvane {

namespace {

// Prompt texts are UTF-8 already: the callers convert device and configuration texts.
QString display(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::StandardButtons standardButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

// The first button of each set is the default, as the message boxes of the program expect.
QMessageBox::StandardButton defaultButton(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry;
    case MessageButtons::AbortRetryIgnore:
        return QMessageBox::Abort;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer answerOf(int button, MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        // Closed by the window manager: the box's escape answer.
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

} // namespace

MessageAnswer QtUserPrompts::messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                        MessageIcon icon) {
    QMessageBox box(boxIcon(icon), display(title.empty() ? kProgramTitle : title), display(text),
                    standardButtons(buttons), QApplication::activeWindow());
    box.setDefaultButton(defaultButton(buttons));
    // A box asked for while the wait cursor shows must still be answerable with the mouse.
    if (m_waitCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int chosen = box.exec();
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
    return answerOf(chosen, buttons);
}

void QtUserPrompts::notify(std::string_view text, std::string_view title, MessageIcon icon) {
    const QString caption = display(title.empty() ? kProgramTitle : title);
    if (m_notice) {
        m_notice->setIcon(boxIcon(icon));
        m_notice->setWindowTitle(caption);
        m_notice->setText(display(text));
        m_notice->raise();
        return;
    }
    // Not modal: a modal box would hold back the engine's ticks until it is answered.
    auto* box =
        new QMessageBox(boxIcon(icon), caption, display(text), QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    m_notice = box;
}

std::optional<std::string> QtUserPrompts::inputBox(std::string_view prompt, std::string_view title,
                                                   std::string_view initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), display(title.empty() ? kProgramTitle : title),
                              display(prompt), QLineEdit::Normal, display(initial), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

void QtUserPrompts::beep() {
    QApplication::beep();
}

void QtUserPrompts::messageBeep(std::uint32_t) {
    QApplication::beep();
}

void QtUserPrompts::setWaitCursor(bool on) {
    if (on == m_waitCursor)
        return;
    m_waitCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace quorvane
