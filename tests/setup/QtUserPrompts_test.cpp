// Notices of the programs with windows: a device that comes and goes leaves one box, showing the
// latest change, not one box for every change.

#include <gtest/gtest.h>

#include "platform/qt/QtUserPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace quorvane {
namespace {

std::vector<QMessageBox*> openNotices() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

TEST(QtUserPrompts, EachNoticeReplacesTheOneStillOpen) {
    QtUserPrompts prompts;
    for (int unplug = 0; unplug < 3; ++unplug) {
        prompts.notify("Device COM1 Disconnected.", "Device Error", MessageIcon::Exclamation);
        prompts.notify("Device COM1 Reconnected.", "Device", MessageIcon::Information);
    }
    auto boxes = openNotices();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text(), QStringLiteral("Device COM1 Reconnected."));
    EXPECT_EQ(boxes[0]->windowTitle(), QStringLiteral("Device"));

    // Once the user has closed it, the next notice opens a box again.
    boxes[0]->close();
    QApplication::processEvents();
    prompts.notify("Device COM1 Disconnected.", "Device Error", MessageIcon::Exclamation);
    boxes = openNotices();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text(), QStringLiteral("Device COM1 Disconnected."));
    boxes[0]->close();
}

} // namespace
} // namespace quorvane
