#pragma once
// The help topic a window, control or menu item carries: F1 shows the page of the nearest one.

#include <QObject>
#include <QVariant>

namespace quorvane {

/// The property that carries a help topic number.
inline constexpr char kHelpTopicProperty[] = "HelpContextID";

/// Gives a widget, menu or menu item its help topic.
inline void SetHelpTopic(QObject* object, int topic) {
    object->setProperty(kHelpTopicProperty, topic);
}

/// The topic of the record structure dialogs, which is the Define menu's.
inline constexpr int kRecordChainTopic = 140;

/// The topic of the record history and plot windows of the runtime window's View menu.
inline constexpr int kRecordWindowsTopic = 450;

} // namespace quorvane
