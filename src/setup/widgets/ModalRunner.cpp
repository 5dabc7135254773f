#include "setup/widgets/ModalRunner.h"

#include <QApplication>
#include <QWindow>

namespace quorvane {

int ExecRunner::run(QDialog& dialog) {
    KeepOverActiveWindow(dialog);
    return dialog.exec();
}

void KeepOverActiveWindow(QWidget& dialog) {
    if (dialog.parentWidget() != nullptr)
        return;
    QWidget* opener = QApplication::activeModalWidget();
    if (opener == nullptr || opener == &dialog)
        opener = QApplication::activeWindow();
    if (opener == nullptr || opener == &dialog || opener->windowHandle() == nullptr)
        return;
    dialog.winId(); // the native window the hint is set on
    if (QWindow* window = dialog.windowHandle())
        window->setTransientParent(opener->windowHandle());
}

} // namespace quorvane
