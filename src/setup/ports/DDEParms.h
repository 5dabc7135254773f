#pragma once
// DDEParms "Target Application DDE Command": the DDE command sent to another program after each record
// in DDE server mode. The rules are config/TargetRules.

#include <QDialog>

#include "config/Configuration.h"

class QLineEdit;

namespace quorvane {

/// Controls DDEApp, DDETop, DDEItm, Label4, Label5, DDEOkButton and DDECancelButton. OK stores through
/// StoreDdeCommand; Cancel stores nothing.
class DDEParms final : public QDialog {
public:
    explicit DDEParms(Configuration& config, QWidget* parent = nullptr);
    /// Fills the boxes from the settings.
    void load();

    /// Help topic of the dialog.
    static constexpr int kHelpTopic = 70;

private:
    void accept() override;

    Configuration& m_config;
    QLineEdit* m_app;
    QLineEdit* m_topic;
    QLineEdit* m_command;
};

} // namespace quorvane
