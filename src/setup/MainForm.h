#pragma once
// The setup window "MainForm": the owner of the configuration in memory while the program sets up,
// its menu tree, the file, mode and hidden toggle commands, start-up, closing and activation. The
// dialogs are opened through SetupDialogs; the file rules are config/ConfigFiles.

#include "config/ConfigFiles.h"
#include "config/RecentFiles.h"
#include "platform/SettingsStore.h"
#include "setup/RuntimeHost.h"
#include "setup/SetupDialogs.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPlainTextEdit;

namespace quorvane {

class HelpWindow;

/// What the setup window works with; every reference must outlive the window.
struct SetupParts {
    Configuration& Config;
    ConfigFileAccess& Files;
    UserPrompts& Prompts;
    FileDialogs& Dialogs;
    SettingsStore& Store;
    const SetupDialogs& Commands;
    RuntimeHost& Runtime;
    HelpWindow& Help;
    /// Ends the program (after the event loop returns to the caller).
    std::function<void()> EndProgram;
    /// The support web page; empty shows the help index instead.
    QString SupportUrl;
    /// --device PATH: the device of the configured port for this session; empty for its binding.
    std::string SessionDevice;
};

/// The setup window. Menus and items carry the controls' names as object names (`FilePullDown`,
/// `FileNew`, `mnuMRU_0` ...) and their exact captions. Its body, `ConfigSummary`, shows the
/// configuration at a glance and follows every change.
class MainForm final : public QMainWindow, private ConfigFilesListener {
public:
    explicit MainForm(SetupParts parts, QWidget* parent = nullptr);
    ~MainForm() override;

    /// Start-up: recent files, decimal separator, the splash screen, the command line's file (or
    /// the defaults), then, for a file, activation in Normal Mode or the end of the program. Shows
    /// the window when it stays.
    void Form_Load(std::string_view commandLine = {});

    /// 0 none, 1 Normal Mode, 2 Virtual Instrument Mode, 3 Test Mode.
    std::int16_t ActivationKind = kActivationNone;
    /// False only while Normal Mode is being activated: closing then does not end the program.
    bool EndOnClose = true;
    /// "." or ",", found at start-up.
    char DecimalSeparator = '.';
    /// The operating system's major version number.
    int OsMajorVersion = 0;

    /// The recent-file list the File menu shows.
    const RecentFiles& recentFiles() const { return m_recent; }
    /// The file operations on the configuration.
    ConfigFiles& files() { return m_files; }

    // The commands, as their menu items run them.
    void FileNew_Click();
    void FileLoad_Click();
    void FileSave_Click();
    void FileSaveAs_Click();
    void FileExit_Click();
    void SendKeystrokes_Click();
    void UseDDE_Click();
    void SaveToFile_Click();
    void PortSettings_Click();
    void PortTest_Click();
    void PortControl_Click();
    void DefineRecords_Click();
    void PreInTrans_Click();
    void DefineTranslate_Click();
    void GetOutStrings_Click();
    void MHKActions_Click();
    void mnuPreferences_Click();
    void RunTest_Click();
    void RunNormal_Click();
    void RunVirtual_Click();
    void MiniHoxel_Click();
    void OnTop_Click();
    void DisplayDTR_Click();
    void DisplayBrk_Click();
    void DateTime_Click();
    void HelpIndex_Click();
    void Tutor_Click();
    void HelpAbout_Click();

    /// Shows the configuration as it is now in the window's body.
    void showSummary();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void captionChanged() override;
    void buildMenus();
    QAction* item(QMenu* menu, const char* name, const char* caption, void (MainForm::*handler)(),
                  bool hidden = false);
    QAction* separator(QMenu* menu, const char* name = nullptr);
    void openDialog(SetupCommand command);
    void showRecentFiles();
    void openRecentFile(int k);
    void xferMethodOpening();
    void setMode(QAction* chosen, bool wasChecked, std::int16_t mode);
    void toggleFlag(Flag& flag);
    void toggleButtonBit(int bit);
    void noAction();
    void restoreAfterTestMode();

    Configuration& m_config;
    UserPrompts& m_prompts;
    FileDialogs& m_dialogs;
    SettingsStore& m_store;
    const SetupDialogs& m_commands;
    RuntimeHost& m_runtime;
    HelpWindow& m_help;
    std::function<void()> m_endProgram;
    QString m_supportUrl;
    std::string m_sessionDevice;
    RecentFiles m_recent;
    ConfigFiles m_files;

    QMenu* m_fileMenu = nullptr;
    QAction* m_mruSep1 = nullptr;
    QAction* m_mruSep2 = nullptr;
    std::vector<QAction*> m_mru;
    QAction* m_sendKeystrokes = nullptr;
    QAction* m_useDde = nullptr;
    QAction* m_saveToFile = nullptr;
    QAction* m_portControl = nullptr;
    QAction* m_dateTime = nullptr;
    QPlainTextEdit* m_summary = nullptr;
};

} // namespace quorvane
