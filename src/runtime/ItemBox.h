#pragma once
// The read-only item boxes of the runtime window: the fields, the record number and the date/time.

#include <QLineEdit>
#include <QPushButton>

namespace quorvane {

/// A read-only box named by its DDE item (its tag). Typed characters are dropped; of the keys only
/// Tab, End, Home, Left, Right, F1 and F4 act. A right click focuses it and asks for the Edit menu.
class ItemBox final : public QLineEdit {
    Q_OBJECT
public:
    /// `selectOnFocus`: the whole text is selected whenever the box gets the focus.
    ItemBox(QString tag, bool selectOnFocus, QWidget* parent);
    /// The DDE item this box shows: "Field(3)", "RecordNumber" or "DateTime".
    const QString& tag() const { return m_tag; }

signals:
    /// A right click asks for the Edit menu at this screen position.
    void editMenuRequested(QPoint globalPosition);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_tag;
    bool m_selectOnFocus;
};

/// A button that acts only when the left mouse button is released over it: releasing elsewhere,
/// other mouse buttons and the keyboard do nothing.
class MouseButton final : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

signals:
    /// The left button was released with the pointer inside the button.
    void released();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace quorvane
