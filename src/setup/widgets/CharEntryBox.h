#pragma once
// A one-line box that edits a byte string holding any byte, NUL and control characters included.

#include <string>

#include <QLineEdit>

#include "config/CharEntry.h"

namespace quorvane {

/// The character entry box: the stored text is the value; the box shows it in display form. Every
/// edit goes through EditEntry, whatever way it comes: keys, the middle button's paste of the
/// selection (as Shift+Insert does with the clipboard). Drops and input method text are refused, and
/// any other change of the shown text is undone, so the box always shows the stored text.
class CharEntryBox : public QLineEdit {
    Q_OBJECT
public:
    /// `internalClipboard` is the process-wide text shared by every entry box.
    CharEntryBox(std::string& internalClipboard, QWidget* parent = nullptr);

    /// The real value.
    const std::string& storedText() const { return m_stored; }
    /// Replaces the value and shows it.
    void setStoredText(const std::string& bytes);
    /// Puts a picked character (or text) in place of the selection and takes the focus.
    void insertPicked(const std::string& bytes);
    /// The box's selection as the editing rules count it.
    EntryState entryState() const;

signals:
    /// The stored text was edited by a key or an insertion.
    void edited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void apply(const EntryState& state);
    void edit(const EntryState& before, const EntryKeyPress& press);

    std::string& m_clipboard;
    std::string m_stored;
};

} // namespace quorvane
