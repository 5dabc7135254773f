#pragma once
// How a modal dialog is run: exec() in the program, a script in the widget tests.

#include <QDialog>

namespace quorvane {

/// Shows a dialog modally and returns its result code.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    /// Runs `dialog` until it is done; its QDialog::DialogCode.
    virtual int run(QDialog& dialog) = 0;
};

/// The program's runner: QDialog::exec(). A dialog kept without a Qt parent (the pickers, the
/// translation window) is put over the window it was opened from.
class ExecRunner final : public ModalRunner {
public:
    int run(QDialog& dialog) override;
};

/// Makes the active window the transient parent of a dialog without a Qt parent, so the window
/// manager keeps it in front of the window it was opened from.
void KeepOverActiveWindow(QWidget& dialog);

} // namespace quorvane
