#pragma once
// RecDefs: the field definition editor, one field at a time over a working copy of fields 1..40.

#include <QDialog>

#include "config/Configuration.h"
#include "config/FieldDefinitions.h"
#include "platform/UserPrompts.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvane {

class CharEntryBox;
class DigitBox;
class PickerHost;

/// The field definition editor. It stays loaded (hidden) between uses; prepare() reloads it.
class RecDefs : public QDialog {
    Q_OBJECT
public:
    RecDefs(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent = nullptr);
    ~RecDefs() override;

    /// Loads the working copy and sets the editor up for the output mode and structure, then shows
    /// field 1. `bytesDefined` shows the bytes-defined display, `prevNext` the field buttons.
    void prepare(bool bytesDefined, bool prevNext);
    /// Fills the controls from the working copy for field n.
    void showField(int n);
    /// The field shown.
    int currentField() const { return m_field; }
    /// The working copy, for tests of what OK would commit.
    const FieldWorkingCopy& workingCopy() const { return m_copy; }

private:
    void accept() override;
    void reject() override;
    void finish();
    void nextField();
    void previousField();
    void lengthTyped();
    void applyNextRule();
    void focusChanged(QWidget* now);
    void insertIntoTarget(const std::string& text);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    FieldWorkingCopy m_copy;
    int m_field = 1;
    bool m_loading = false;
    QString m_lastLength;
    CharEntryBox* m_target = nullptr;

    QLabel* m_fieldName;
    QComboBox* m_filter;
    QLabel* m_lengthLabel;
    DigitBox* m_length;
    QLineEdit* m_expression;
    QComboBox* m_format;
    QLabel* m_preambleLabel;
    CharEntryBox* m_preamble;
    QLabel* m_postambleLabel;
    CharEntryBox* m_postamble;
    QLabel* m_defLabel1;
    QLabel* m_bytesDefined;
    QLabel* m_defLabel2;
    QLabel* m_bytesOf;
    QPushButton* m_prev;
    QPushButton* m_next;
    QPushButton* m_keyButton;
    QPushButton* m_asciiButton;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace quorvane
