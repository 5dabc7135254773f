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

/// The program's runner: QDialog::exec().
class ExecRunner final : public ModalRunner {
public:
    int run(QDialog& dialog) override { return dialog.exec(); }
};

} // namespace quorvane
