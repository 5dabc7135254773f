#include "setup/widgets/CharEntryBox.h"
#include "setup/widgets/ByteFont.h"

#include "config/CodePage.h"
#include "config/DisplayText.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quorvane {

namespace {

QString shown(const std::string& bytes) {
    return QString::fromStdString(BytesToDisplayUtf8(bytes));
}

// Navigation keeps the box's own handling: it moves the caret or the selection, never the text.
bool isNavigation(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return e.matches(QKeySequence::SelectAll);
    }
}

std::optional<EntryKeyPress> pressOf(const QKeyEvent& e) {
    const auto mods = e.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EntryKeyPress p;
    switch (e.key()) {
    case Qt::Key_Backspace:
        p.Key = mods == Qt::AltModifier ? EntryKey::AltBackspace : EntryKey::Backspace;
        return p;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        p.Key = EntryKey::Enter;
        return p;
    case Qt::Key_Delete:
        p.Key = mods == Qt::ControlModifier ? EntryKey::CtrlDelete
                : mods == Qt::ShiftModifier ? EntryKey::ShiftDelete
                                            : EntryKey::Delete;
        return p;
    case Qt::Key_Insert:
        if (mods == Qt::ControlModifier) {
            p.Key = EntryKey::Copy;
            return p;
        }
        if (mods == Qt::ShiftModifier) {
            p.Key = EntryKey::SystemPaste;
            return p;
        }
        return std::nullopt;
    case Qt::Key_C:
    case Qt::Key_V:
    case Qt::Key_X:
        if (mods == Qt::ControlModifier) {
            p.Key = e.key() == Qt::Key_C   ? EntryKey::Copy
                    : e.key() == Qt::Key_V ? EntryKey::InternalPaste
                                           : EntryKey::Cut;
            return p;
        }
        break;
    default:
        break;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        return std::nullopt;
    const std::string bytes = Utf8ToBytes(e.text().toStdString());
    if (bytes.size() != 1)
        return std::nullopt;
    p.Key = EntryKey::Character;
    p.Byte = bytes[0];
    return p;
}

} // namespace

CharEntryBox::CharEntryBox(std::string& internalClipboard, QWidget* parent)
    : QLineEdit(parent), m_clipboard(internalClipboard) {
    setFont(ByteFont());
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // The last guard: a change that did not come through the rules (an accessibility tool's edit, a
    // path of QLineEdit's own) is undone.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text != shown(m_stored))
            setText(shown(m_stored));
    });
}

void CharEntryBox::setStoredText(const std::string& bytes) {
    m_stored = bytes;
    setText(shown(m_stored));
}

EntryState CharEntryBox::entryState() const {
    EntryState s{m_stored, static_cast<std::size_t>(cursorPosition()), 0};
    if (hasSelectedText()) {
        s.Start = static_cast<std::size_t>(selectionStart());
        s.Length = static_cast<std::size_t>(selectionLength());
    }
    return s;
}

void CharEntryBox::insertPicked(const std::string& bytes) {
    apply(ReplaceSelection(entryState(), bytes));
    setFocus(Qt::OtherFocusReason);
    emit edited();
}

void CharEntryBox::apply(const EntryState& state) {
    m_stored = state.Text;
    setText(shown(m_stored));
    setCursorPosition(static_cast<int>(state.Start));
    if (state.Length > 0)
        setSelection(static_cast<int>(state.Start), static_cast<int>(state.Length));
}

void CharEntryBox::keyPressEvent(QKeyEvent* event) {
    if (isNavigation(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    event->accept();
    auto press = pressOf(*event);
    if (!press)
        return;
    press->InternalClipboard = m_clipboard;
    if (press->Key == EntryKey::SystemPaste) {
        const QString text = QApplication::clipboard()->text();
        if (!text.isEmpty())
            press->SystemClipboard = DisplayUtf8ToBytes(text.toStdString());
    }
    edit(entryState(), *press);
}

void CharEntryBox::edit(const EntryState& before, const EntryKeyPress& press) {
    const EntryEdit result = EditEntry(before, press);
    if (result.CopyToBoth) {
        m_clipboard = *result.CopyToBoth;
        QApplication::clipboard()->setText(QString::fromStdString(BytesToUtf8(*result.CopyToBoth)));
    }
    if (result.CopyToInternal)
        m_clipboard = *result.CopyToInternal;
    if (result.State != before) {
        apply(result.State);
        emit edited();
    }
}

void CharEntryBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::MiddleButton) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    // The X primary selection, pasted where the button was released.
    event->accept();
    const QClipboard* clipboard = QApplication::clipboard();
    const QString text = clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
    if (text.isEmpty())
        return;
    EntryKeyPress press;
    press.Key = EntryKey::SystemPaste;
    press.SystemClipboard = DisplayUtf8ToBytes(text.toStdString());
    edit({m_stored, static_cast<std::size_t>(cursorPositionAt(event->position().toPoint())), 0}, press);
}

void CharEntryBox::inputMethodEvent(QInputMethodEvent* event) {
    event->ignore();
}

void CharEntryBox::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void CharEntryBox::dropEvent(QDropEvent* event) {
    event->ignore();
}

} // namespace quorvane
