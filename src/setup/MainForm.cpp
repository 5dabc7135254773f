#include "setup/MainForm.h"

#include "config/CodePage.h"
#include "config/CommandLine.h"
#include "config/ConfigLimits.h"
#include "config/ConfigSummary.h"
#include "config/InputAnalysis.h"
#include "keys/KeyPickers.h"
#include "runtime/AboutBox.h"
#include "serial/PortBindings.h"
#include "setup/HelpWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <sys/utsname.h>

namespace quorvane {

namespace {

// Menu help topics.
constexpr int kFileTopic = 40;
constexpr int kModeTopic = 50;
constexpr int kSendKeystrokesTopic = 60;
constexpr int kDdeServerTopic = 70;
constexpr int kLogToDiskTopic = 90;
constexpr int kPortTopic = 100;
constexpr int kDefineTopic = 140;
constexpr int kActivateTopic = 420;
constexpr int kHelpMenuTopic = 20;

// The separator the C library's locale writes in ".1" formatted as "0.0".
char systemDecimalSeparator() {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.1);
    return std::strchr(text, ',') != nullptr ? ',' : '.';
}

int osMajorVersion() {
    utsname name{};
    return uname(&name) == 0 ? std::atoi(name.release) : 0;
}

// A path as a menu caption: an ampersand in it is no access key.
QString menuCaption(const std::string& path) {
    return QString::fromStdString(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

Flag inverted(Flag flag) {
    return isSet(flag) ? kFalse : kTrue;
}

} // namespace

MainForm::MainForm(SetupParts parts, QWidget* parent)
    : QMainWindow(parent), m_config(parts.Config), m_prompts(parts.Prompts), m_dialogs(parts.Dialogs),
      m_store(parts.Store), m_commands(parts.Commands), m_runtime(parts.Runtime), m_help(parts.Help),
      m_endProgram(std::move(parts.EndProgram)), m_supportUrl(std::move(parts.SupportUrl)),
      m_sessionDevice(std::move(parts.SessionDevice)), m_recent(parts.Store),
      m_files(parts.Config, parts.Files, parts.Prompts, parts.Dialogs, m_recent, this) {
    setObjectName(QStringLiteral("MainForm"));
    SetHelpTopic(this, kSetupHelpTopic);
    // Beside the menu bar, the window shows what the configuration does, so that it can be checked
    // without opening every dialog.
    m_summary = new QPlainTextEdit(this);
    m_summary->setObjectName(QStringLiteral("ConfigSummary"));
    m_summary->setAccessibleName(QStringLiteral("Configuration summary"));
    m_summary->setReadOnly(true);
    m_summary->setFrameShape(QFrame::NoFrame);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setCentralWidget(m_summary);
    resize(m_summary->fontMetrics().averageCharWidth() * 100, m_summary->fontMetrics().lineSpacing() * 22);
    buildMenus();
    captionChanged();
}

MainForm::~MainForm() = default;

QAction* MainForm::item(QMenu* menu, const char* name, const char* caption, void (MainForm::*handler)(),
                        bool hidden) {
    auto* action = new QAction(QString::fromLatin1(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setVisible(!hidden);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
        // Qt has toggled a check item already; the commands decide on the mark as it was.
        if (action->isCheckable())
            action->setChecked(!checked);
        (this->*handler)();
        showSummary();
    });
    return action;
}

QAction* MainForm::separator(QMenu* menu, const char* name) {
    QAction* line = menu->addSeparator();
    if (name != nullptr) {
        line->setObjectName(QString::fromLatin1(name));
        line->setVisible(false);
    }
    return line;
}

void MainForm::buildMenus() {
    const auto pullDown = [this](const char* name, const char* caption, int topic) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        SetHelpTopic(menu, topic);
        return menu;
    };
    using M = MainForm;

    m_fileMenu = pullDown("FilePullDown", "&File", kFileTopic);
    item(m_fileMenu, "FileNew", "&New", &M::FileNew_Click);
    item(m_fileMenu, "FileLoad", "&Open...", &M::FileLoad_Click);
    item(m_fileMenu, "FileSave", "&Save", &M::FileSave_Click);
    item(m_fileMenu, "FileSaveAs", "Save &As...", &M::FileSaveAs_Click);
    m_mruSep1 = separator(m_fileMenu, "mnuMRUSsep1");
    m_mruSep2 = separator(m_fileMenu, "mnuMRUsep2");
    item(m_fileMenu, "FileExit", "E&xit", &M::FileExit_Click);

    QMenu* mode = pullDown("XferMethod", "&Mode", kModeTopic);
    m_sendKeystrokes = item(mode, "SendKeystrokes", "&Send Keystrokes To...", &M::SendKeystrokes_Click);
    m_useDde = item(mode, "UseDDE", "&DDE Server...", &M::UseDDE_Click);
    m_saveToFile = item(mode, "SaveToFile", "&Log To Disk...", &M::SaveToFile_Click);
    for (QAction* a : {m_sendKeystrokes, m_useDde, m_saveToFile})
        a->setCheckable(true);
    SetHelpTopic(m_sendKeystrokes, kSendKeystrokesTopic);
    SetHelpTopic(m_useDde, kDdeServerTopic);
    SetHelpTopic(m_saveToFile, kLogToDiskTopic);
    connect(mode, &QMenu::aboutToShow, this, &MainForm::xferMethodOpening);

    QMenu* port = pullDown("PortPullDown", "&Port", kPortTopic);
    item(port, "PortSettings", "&Settings...", &M::PortSettings_Click);
    item(port, "PortTest", "&Analyze...", &M::PortTest_Click);
    m_portControl = item(port, "PortControl", "&Beep On Input", &M::PortControl_Click, true);
    m_portControl->setCheckable(true);

    QMenu* define = pullDown("DefinePullDown", "&Define", kDefineTopic);
    item(define, "DefineRecords", "Input Data Record &Structure...", &M::DefineRecords_Click);
    item(define, "PreInTrans", "Pre-&Input Character Translations...", &M::PreInTrans_Click);
    item(define, "DefineTranslate", "Pre-&Transfer Character Translations...", &M::DefineTranslate_Click);
    item(define, "GetOutStrings", "Serial &Output Strings...", &M::GetOutStrings_Click);
    item(define, "MHKActions", "&Hot Keys and Hot Key Actions...", &M::MHKActions_Click);
    separator(define);
    item(define, "mnuPreferences", "&Preferences...", &M::mnuPreferences_Click);
    item(define, "DDESource", "&Command Source DDE Link...", &M::noAction, true);
    item(define, "DDEBuffer", "Output &Buffer DDE Link...", &M::noAction, true);

    QMenu* run = pullDown("Run", "&Activate", kActivateTopic);
    item(run, "RunTest", "&Test Mode", &M::RunTest_Click);
    item(run, "RunNormal", "&Normal Mode", &M::RunNormal_Click);
    separator(run);
    item(run, "RunVirtual", "&Virtual Instrument Mode", &M::RunVirtual_Click);
    item(run, "ActDisable", "Activate Initially &Suspended", &M::mnuPreferences_Click, true);
    item(run, "MiniHoxel", "&Minimize On Activation", &M::MiniHoxel_Click, true);
    item(run, "OnTop", "Always &On Top", &M::OnTop_Click, true);
    item(run, "DisplayDTR", "Display DT&R Toggle Button", &M::DisplayDTR_Click, true);
    item(run, "DisplayBrk", "Display &Break Button", &M::DisplayBrk_Click, true);
    m_dateTime = item(run, "DateTime", "&Display Date/Time...", &M::DateTime_Click, true);
    m_dateTime->setCheckable(true);
    item(run, "mSetTopic", "Set Quorvane DDE Topic...", &M::noAction, true);
    connect(define, &QMenu::aboutToShow, this,
            [this] { m_dateTime->setChecked(isSet(m_config.ShowDateTime)); });

    QMenu* help = pullDown("Help", "&Help", kHelpMenuTopic);
    item(help, "HelpIndex", "&Index", &M::HelpIndex_Click);
    separator(help);
    item(help, "Tutor", "Quorvane On-Line Support", &M::Tutor_Click);
    separator(help);
    item(help, "HelpAbout", "&About...", &M::HelpAbout_Click);

    // Entry 0 exists from the start, hidden while the list is empty.
    showRecentFiles();
}

void MainForm::captionChanged() {
    setWindowTitle(QString::fromStdString(SetupCaption(m_config.ConfigFileName)));
    showSummary();
}

void MainForm::showSummary() {
    SummaryContext context;
    if (!m_sessionDevice.empty()) {
        context.DevicePath = m_sessionDevice;
        context.SessionDevice = true;
    } else {
        context.DevicePath = PortBindings(m_store).devicePathFor(PortName(m_config.PortIndex));
    }
    context.HotKeyName = [](std::int16_t word) { return BytesToUtf8(HotKeyText(word)); };
    const QString text = QString::fromStdString(ConfigSummary(m_config, context));
    // Rewriting the same text would lose the reader's place and selection.
    if (text != m_summary->toPlainText())
        m_summary->setPlainText(text);
}

void MainForm::changeEvent(QEvent* event) {
    // The port analyzer and the runtime window change the configuration from their own windows.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        showSummary();
    QMainWindow::changeEvent(event);
}

void MainForm::showRecentFiles() {
    const auto& entries = m_recent.entries();
    while (m_mru.size() < entries.size()) {
        const int k = static_cast<int>(m_mru.size());
        auto* entry = new QAction(this);
        entry->setObjectName(QStringLiteral("mnuMRU_%1").arg(k));
        connect(entry, &QAction::triggered, this, [this, k] { openRecentFile(k); });
        m_fileMenu->insertAction(m_mruSep2, entry);
        m_mru.push_back(entry);
    }
    for (std::size_t k = 0; k < entries.size(); ++k) {
        m_mru[k]->setText(menuCaption(entries[k].Caption));
        m_mru[k]->setVisible(entries[k].Visible);
    }
    m_mruSep1->setVisible(m_recent.separatorsVisible());
    m_mruSep2->setVisible(m_recent.separatorsVisible());
}

void MainForm::openRecentFile(int k) {
    m_files.OpenRecentFile(k);
    showRecentFiles();
    showSummary();
}

void MainForm::openDialog(SetupCommand command) {
    m_commands.open(command, {this, m_config, m_prompts, m_store, m_dialogs, m_sessionDevice});
}

// File menu.

void MainForm::FileNew_Click() {
    m_files.FileNew();
}

void MainForm::FileLoad_Click() {
    m_files.FileLoad();
    showRecentFiles();
}

void MainForm::FileSave_Click() {
    m_files.FileSave();
    showRecentFiles();
}

void MainForm::FileSaveAs_Click() {
    m_files.FileSaveAs();
    showRecentFiles();
}

void MainForm::FileExit_Click() {
    close();
}

// Mode menu.

void MainForm::xferMethodOpening() {
    const std::int16_t mode = m_config.OutputMode;
    m_useDde->setChecked(mode == 1);
    m_saveToFile->setChecked(mode == 2);
    m_sendKeystrokes->setChecked(mode != 1 && mode != 2);
}

void MainForm::setMode(QAction* chosen, bool wasChecked, std::int16_t mode) {
    if (!wasChecked)
        m_config.ConfigChanged = kTrue;
    for (QAction* a : {m_sendKeystrokes, m_useDde, m_saveToFile})
        a->setChecked(a == chosen);
    m_config.OutputMode = mode;
}

void MainForm::SendKeystrokes_Click() {
    setMode(m_sendKeystrokes, m_sendKeystrokes->isChecked(), 0);
    openDialog(SetupCommand::TargetApplication);
}

void MainForm::UseDDE_Click() {
    setMode(m_useDde, m_useDde->isChecked(), 1);
    openDialog(SetupCommand::DdeCommand);
}

void MainForm::SaveToFile_Click() {
    FileDialogRequest request;
    request.Title = "Log Incoming Serial Data To File...";
    request.Filter = "Quorvane Log (*.log)|*.log|All Files (*.*)|*.*";
    request.InitialName = m_config.LogFileName;
    const auto chosen = m_dialogs.openFileName(request);
    if (!chosen || chosen->empty())
        return;
    if (*chosen != m_config.LogFileName)
        m_config.ConfigChanged = kTrue;
    m_config.LogFileName = *chosen;
    setMode(m_saveToFile, m_saveToFile->isChecked(), 2);
}

// Port and Define menus.

void MainForm::PortSettings_Click() {
    m_runtime.closeAnalyzer();
    openDialog(SetupCommand::PortSettings);
}

void MainForm::PortTest_Click() {
    m_runtime.closeAnalyzer();
    m_runtime.showAnalyzer(PortAnalyzeCaption(m_config));
}

void MainForm::PortControl_Click() {
    m_config.ConfigChanged = kTrue;
    m_portControl->setChecked(!m_portControl->isChecked());
    m_config.BeepOnInput = toFlag(m_portControl->isChecked());
}

void MainForm::DefineRecords_Click() {
    openDialog(SetupCommand::RecordStructure);
}

void MainForm::PreInTrans_Click() {
    openDialog(SetupCommand::PreInputTranslations);
}

void MainForm::DefineTranslate_Click() {
    openDialog(SetupCommand::TransferTranslations);
}

void MainForm::GetOutStrings_Click() {
    openDialog(SetupCommand::OutputStrings);
}

void MainForm::MHKActions_Click() {
    openDialog(SetupCommand::HotKeys);
}

void MainForm::mnuPreferences_Click() {
    openDialog(SetupCommand::Preferences);
}

void MainForm::noAction() {}

// Activate menu.

void MainForm::RunTest_Click() {
    m_runtime.closeAnalyzer();
    if (!m_runtime.openPort(kActivationTest))
        return;
    hide();
    ActivationKind = kActivationTest;
    m_runtime.showRuntime([this] { restoreAfterTestMode(); });
}

void MainForm::restoreAfterTestMode() {
    ActivationKind = kActivationNone;
    showSummary();
    show();
}

void MainForm::RunNormal_Click() {
    m_runtime.closeAnalyzer();
    EndOnClose = false;
    if (!m_runtime.openPort(kActivationNormal)) {
        EndOnClose = true;
        return;
    }
    ActivationKind = kActivationNormal;
    m_files.PromptSaveChanges();
    if (isSet(m_config.PromptCancelled)) {
        m_runtime.abandonPort();
        ActivationKind = kActivationNone;
        EndOnClose = true;
        show();
        return;
    }
    // The setup window goes now; the program ends with the runtime window.
    m_runtime.showRuntime([end = m_endProgram] { end(); });
    close();
}

void MainForm::RunVirtual_Click() {
    m_runtime.closeAnalyzer();
    m_runtime.openPort(kActivationVirtual); // opens no port; the port layer only takes the name
    ActivationKind = kActivationVirtual;
    hide();
    m_runtime.showRuntime([this] { restoreAfterTestMode(); });
}

void MainForm::toggleFlag(Flag& flag) {
    m_config.ConfigChanged = kTrue;
    flag = inverted(flag);
}

void MainForm::MiniHoxel_Click() {
    toggleFlag(m_config.MinimizeOnActivation);
}

void MainForm::OnTop_Click() {
    toggleFlag(m_config.AlwaysOnTop);
}

void MainForm::toggleButtonBit(int bit) {
    m_config.ConfigChanged = kTrue;
    m_config.ButtonFlags = static_cast<std::int16_t>(m_config.ButtonFlags ^ bit);
}

void MainForm::DisplayDTR_Click() {
    toggleButtonBit(1);
}

void MainForm::DisplayBrk_Click() {
    toggleButtonBit(2);
}

void MainForm::DateTime_Click() {
    toggleFlag(m_config.ShowDateTime);
    if (!isSet(m_config.ShowDateTime))
        return;
    const auto format = m_prompts.inputBox("Enter Format Expression for Date/Time Display",
                                           "Date/Time Format", BytesToUtf8(m_config.DateTimeFormat));
    if (!format || format->empty())
        return;
    if (std::string bytes = Utf8ToBytes(*format); bytes != m_config.DateTimeFormat)
        m_config.DateTimeFormat = std::move(bytes);
}

// Help menu.

void MainForm::HelpIndex_Click() {
    m_help.showTopic(HelpTopicOf(this));
}

void MainForm::Tutor_Click() {
    m_prompts.setWaitCursor(true);
    if (m_supportUrl.isEmpty())
        m_help.showTopic(kSetupHelpTopic);
    else
        QDesktopServices::openUrl(QUrl(m_supportUrl));
    m_prompts.setWaitCursor(false);
}

void MainForm::HelpAbout_Click() {
    ShowAboutBox(this, {m_config.ConfigFileName, {}, LogFilePath(m_config)});
}

// Start-up and closing.

void MainForm::Form_Load(std::string_view commandLine) {
    m_recent.LoadRecentFiles();
    showRecentFiles();
    OsMajorVersion = osMajorVersion();
    DecimalSeparator = systemDecimalSeparator();
    QWidget* splash = ShowSplash({});
    m_prompts.setWaitCursor(true);
    // The process-wide tables of the dialogs are built by the dialogs themselves when they open.
    m_prompts.setWaitCursor(false);
    const bool startedWithFile = ReadCommandLine(commandLine, m_config, m_files);
    delete splash;
    if (!startedWithFile) {
        show();
        return;
    }
    if (!isSet(m_config.ConfigLoaded)) {
        m_endProgram();
        return;
    }
    RunNormal_Click();
    // A port that cannot be opened leaves the setup window.
    if (ActivationKind == kActivationNone)
        show();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (ActivationKind != kActivationNormal)
        m_files.PromptSaveChanges();
    m_recent.SaveRecentFiles();
    if (isSet(m_config.PromptCancelled)) {
        event->ignore();
        return;
    }
    event->accept();
    if (EndOnClose)
        m_endProgram();
}

} // namespace quorvane
