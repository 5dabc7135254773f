#pragma once
// AppSelect "Send Keystrokes To:": the target application of send-keystrokes mode and the delay
// between keystrokes. The rules are config/TargetRules.

#include <QDialog>

#include "config/Configuration.h"
#include "platform/FileDialogs.h"
#include "platform/UserPrompts.h"

class QLineEdit;

namespace quorvane {

class DigitBox;

/// Controls AppName, AppCmd, Command1 ("Browse..."), InterCharDelay, Label3, Label4, Label6, OkButton
/// and CancelButton. OK stores through StoreTargetApplication; Cancel stores nothing.
class AppSelect final : public QDialog {
public:
    AppSelect(Configuration& config, UserPrompts& prompts, FileDialogs& files, QWidget* parent = nullptr);
    /// Fills the boxes from the settings.
    void load();

    /// Help topic of the dialog.
    static constexpr int kHelpTopic = 60;

private:
    void accept() override;
    void browse();

    Configuration& m_config;
    FileDialogs& m_files;
    QLineEdit* m_appName;
    QLineEdit* m_appCmd;
    DigitBox* m_delay;
};

} // namespace quorvane
