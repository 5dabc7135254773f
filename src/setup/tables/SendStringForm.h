#pragma once
// SendStringForm: the output string editor: 20 button strings with their captions, the
// acknowledgement string and the timed automatic output.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvane {

class CharEntryBox;
class DigitBox;
class PickerHost;

/// The output string editor. It stays loaded (hidden) between uses; load() fills it for an opening.
/// The entry boxes edit the settings directly; OK checks and stores the interval and TimerFlags.
/// The dialog has no Cancel: Esc and closing the window keep every box's edits as OK does.
class SendStringForm : public QDialog {
    Q_OBJECT
public:
    SendStringForm(Configuration& config, UserPrompts& prompts, PickerHost& pickers,
                   QWidget* parent = nullptr);

    /// Fills the controls from the settings and selects string 1.
    void load();
    /// The output string shown (1..20).
    int currentString() const { return m_string; }

private:
    void accept() override;
    void reject() override;
    void showString(int k);
    void storeCaption();
    void actionChosen();
    void focusChanged(QWidget* now);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    int m_string = 1;
    bool m_loading = false;
    CharEntryBox* m_target = nullptr;

    QComboBox* m_names;
    CharEntryBox* m_text;
    QLineEdit* m_caption;
    CharEntryBox* m_ack;
    QRadioButton* m_actions[3];
    QCheckBox* m_timerOn;
    QLabel* m_timerStringLabel;
    CharEntryBox* m_timerString;
    DigitBox* m_interval;
    QPushButton* m_asciiButton;
    QPushButton* m_done;
};

} // namespace quorvane
