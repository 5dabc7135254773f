#pragma once
// Small helpers the setup dialogs share: refusing an input, labels that name their boxes, buttons.

#include <string>

#include <QLabel>
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

/// A label that names `box`: its buddy, so that assistive tools read the caption as the box's name.
inline QLabel* boxLabel(const QString& caption, QWidget* box, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(box);
    return label;
}

/// A push button with its documented name and caption.
inline QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace quorvane
