#pragma once
// Small helpers the record dialogs share: refusing an input, and laying out Continue/Cancel.

#include <string>

#include <QPushButton>
#include <QWidget>

#include "platform/UserPrompts.h"

namespace quorvane {

/// A refused input: beep, the message box, and the focus back on the offending control.
inline void refuseInput(UserPrompts& prompts, const std::string& message, const std::string& title,
                        QWidget* focus, MessageIcon icon = MessageIcon::Exclamation) {
    prompts.beep();
    prompts.messageBox(message, title, MessageButtons::Ok, icon);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}

/// A push button with its documented name and caption.
inline QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace quorvane
