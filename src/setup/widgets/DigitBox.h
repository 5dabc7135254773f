#pragma once
// A box that takes only the digits 0 to 9 and backspace, and selects its text on receiving the focus.

#include <functional>

#include <QLineEdit>

namespace quorvane {

/// A digit box. Other character keys are discarded, after `onRefused` (a beep, where the dialog wants
/// one); so is any other input that is not all digits (the middle button's paste, a drop, input
/// method text). Enter is left to the dialog, whose default button it presses. `onFocus` runs before
/// the text is selected on receiving the focus.
class DigitBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitBox(QWidget* parent = nullptr);

    /// Called for each refused key.
    std::function<void()> onRefused;
    /// Called when the box receives the focus, before its text is selected.
    std::function<void()> onFocus;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace quorvane
