#pragma once
// The setup dialogs offscreen with scripted modal runs: each dialog that is shown runs the next script
// queued under its object name, as a user would act on it, and must be closed by it.

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QTest>

#include "fakes/FakePrompts.h"
#include "setup/records/RecordDialogs.h"
#include "setup/widgets/PickerHost.h"

namespace quorvane::test {

class ScriptedRunner final : public ModalRunner {
public:
    using Script = std::function<void(QDialog&)>;

    int run(QDialog& dialog) override {
        Shown.push_back(dialog.objectName());
        dialog.show();
        dialog.activateWindow();
        QApplication::processEvents();
        auto& queue = Scripts[dialog.objectName()];
        if (queue.empty()) {
            ADD_FAILURE() << "no script for " << dialog.objectName().toStdString();
            dialog.reject();
            return QDialog::Rejected;
        }
        Script script = std::move(queue.front());
        queue.pop_front();
        script(dialog);
        QApplication::processEvents();
        if (dialog.isVisible()) {
            ADD_FAILURE() << dialog.objectName().toStdString() << " was left open";
            dialog.hide();
            return QDialog::Rejected;
        }
        return dialog.result();
    }

    /// Queues what the user does the next time the dialog `name` is shown.
    void on(const QString& name, Script script) { Scripts[name].push_back(std::move(script)); }

    std::map<QString, std::deque<Script>> Scripts;
    std::vector<QString> Shown;
};

/// A control of a dialog by name; fails the test when it is missing.
template <typename T = QWidget>
T* control(QWidget& dialog, const QString& name) {
    T* found = dialog.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

inline void click(QWidget& dialog, const QString& name) {
    QTest::mouseClick(control<QAbstractButton>(dialog, name), Qt::LeftButton);
    QApplication::processEvents();
}

/// Focuses a box, selects its text and types `text` key by key.
inline void retype(QWidget& dialog, const QString& name, const QString& text) {
    auto* box = control<QLineEdit>(dialog, name);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    QApplication::processEvents();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
    QApplication::processEvents();
}

inline void selectRow(QWidget& dialog, const QString& list, int row) {
    auto* view = control<QAbstractItemView>(dialog, list);
    view->setCurrentIndex(view->model()->index(row, 0));
}

/// The record dialogs over one configuration, with fake prompts and scripted runs.
struct RecordDialogRig {
    RecordDialogRig() {
        ResetConfiguration(Config);
        Config.ConfigChanged = kFalse;
    }

    Configuration Config;
    FakePrompts Prompts;
    ScriptedRunner Runner;
    PickerHost Pickers{Config, Runner};
    RecordDialogs Dialogs{Config, Prompts, Pickers};
};

} // namespace quorvane::test
