#pragma once
// RecType: what starts and what ends a record, with the special characters in entry boxes.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

class QButtonGroup;
class QPushButton;

namespace quorvane {

class CharEntryBox;
class PickerHost;

/// The start-and-end-of-record dialog, loaded afresh for each opening. Continue stores the events
/// and characters (StoreRecordEvents) or refuses empty special characters.
class RecType : public QDialog {
    Q_OBJECT
public:
    RecType(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void accept() override;
    void showAsciiChart();

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    QButtonGroup* m_start;
    QButtonGroup* m_end;
    CharEntryBox* m_text1;
    CharEntryBox* m_text2;
    QPushButton* m_chart;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    /// The entry box focused last: 1 start, 2 end.
    int m_lastBox = 1;
};

} // namespace quorvane
