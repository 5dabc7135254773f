#pragma once
// HotKeyFrm: the hot key dialog over a working copy of the 50 hot keys, committed on OK.

#include <QDialog>
#include <QLineEdit>

#include "config/Configuration.h"
#include "config/SerialOutputRules.h"
#include "platform/UserPrompts.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace quorvane {

class CharEntryBox;
class PickerHost;

/// The hot key box: a pressed combination (not Shift, Ctrl or Alt alone) is reported as a key word
/// and swallowed, Tab included; typed characters never reach the text.
class HotKeyBox : public QLineEdit {
    Q_OBJECT
public:
    explicit HotKeyBox(QWidget* parent = nullptr);

signals:
    /// A key named by the key table was pressed with these modifiers.
    void keyPressed(std::int16_t keyWord);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

/// The hot key dialog. Loaded for each opening: the working copy is read from the settings then.
class HotKeyFrm : public QDialog {
    Q_OBJECT
public:
    HotKeyFrm(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent = nullptr);

    /// The selected hot key (0..49).
    int currentHotKey() const { return m_index; }
    /// The working copy, for tests of what OK would commit.
    const HotKeyWorkingCopy& workingCopy() const { return m_copy; }

private:
    void accept() override;
    void showHotKey(int index);
    void actionChosen(int action);
    bool setKey(std::int16_t keyWord);
    void keyListClicked();
    void focusChanged(QWidget* now);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    HotKeyWorkingCopy m_copy;
    int m_index = 0;
    bool m_loading = false;
    bool m_asciiMode = false;

    QListWidget* m_numbers;
    QListWidget* m_actions;
    HotKeyBox* m_key;
    QLabel* m_textLabel;
    CharEntryBox* m_text;
    QPushButton* m_keyList;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace quorvane
