#include "app/SetupRun.h"

#include "app/SetupRecovery.h"
#include "app/StopSignals.h"
#include "app/WindowRun.h"
#include "platform/posix/PosixConfigFileAccess.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtUserPrompts.h"
#include "runtime/Hoxel.h"
#include "setup/HelpWindow.h"
#include "setup/MainForm.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace quorvane {

DesktopRuntimeHost::DesktopRuntimeHost(Configuration& config, UserPrompts& prompts, SoundBeep& sounds,
                                       SettingsStore& store, RuntimeOptions options)
    : m_config(config), m_prompts(prompts), m_sounds(sounds), m_store(store), m_options(std::move(options)) {
    if (m_options.Pickers == nullptr) {
        m_ownPickers = std::make_unique<PickerHost>(m_config, m_runner);
        m_options.Pickers = m_ownPickers.get();
    }
}

DesktopRuntimeHost::~DesktopRuntimeHost() {
    CloseOnDisplayLoss({});
}

bool DesktopRuntimeHost::openPort(std::int16_t activationKind) {
    RuntimeOptions options = m_options;
    options.Activation = static_cast<ActivationKind>(activationKind);
    m_session = std::make_unique<RuntimeSession>(m_config, m_prompts, m_sounds, m_store, options);
    if (!m_session->openPort()) {
        m_session.reset();
        return false;
    }
    // The display going away ends the program through exit(), with no window left to close the
    // run: the port is closed there, its lines lowered and its lock released.
    if (options.Activation != ActivationKind::VirtualInstrument)
        CloseOnDisplayLoss([this] {
            if (m_session)
                m_session->closePortNow();
        });
    return true;
}

void DesktopRuntimeHost::abandonPort() {
    if (!m_session)
        return;
    CloseOnDisplayLoss({});
    m_session->abandonPort();
    m_session.reset();
}

void DesktopRuntimeHost::showRuntime(std::function<void()> ended) {
    if (!m_session)
        return;
    m_session->start([this, ended = std::move(ended)] {
        CloseOnDisplayLoss({});
        m_session->finish();
        // The session owns the window whose signal brought us here; it goes once that returned.
        m_session.reset();
        ended();
    });
}

bool DesktopRuntimeHost::showAnalyzer(const std::string& caption) {
    closeAnalyzer();
    m_analyzer =
        std::make_unique<AnalyzerSession>(m_config, m_prompts, m_store, *m_options.Pickers, m_options.Device);
    // The session owns the window whose signal brings us here; it goes once that returned.
    if (m_analyzer->show(caption, [this] { m_analyzer.reset(); }))
        return true;
    m_analyzer.reset();
    return false;
}

void DesktopRuntimeHost::closeAnalyzer() {
    m_analyzer.reset();
}

int RunSetup(int argc, char** argv, const CommandLine& line) {
    if (!HasDesktopSession()) {
        std::fputs("quorvane: the setup window needs a desktop session (no DISPLAY is set); "
                   "run 'quorvane --headless FILE' to capture without one\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));
    // Message boxes and the hidden setup window must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    QtUserPrompts prompts;
    QtSettingsStore store;
    PosixConfigFileAccess files;
    QtFileDialogs dialogs;
    Configuration config;
    // The pickers and the internal clipboard of the whole process: the setup dialogs, the analyzer and
    // the virtual device window meet here. Built before every window and destroyed after them.
    ExecRunner runner;
    PickerHost pickers(config, runner);
    DesktopRuntimeHost runtime(config, prompts, prompts, store,
                               {ActivationKind::Normal, line.Device, line.TraceDde, &pickers});
    const SetupDialogs commands = StandardSetupDialogs(pickers);
    HelpWindow help;
    help.watchF1Key();
    bool ended = false;
    const auto endProgram = [&ended] {
        ended = true;
        QApplication::quit();
    };
    auto* form = new MainForm({config, files, prompts, dialogs, store, commands, runtime, help, endProgram,
                               QStringLiteral(QUORVANE_SUPPORT_URL), line.Device});
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->Form_Load(line.File);
    // A file named on the command line that cannot be loaded ends the program before the loop runs.
    if (ended)
        return line.File.empty() ? 0 : 1;

    const std::string keptChanges = store.folder().toStdString() + "/Recovery.QV3";
    if (line.File.empty() && OfferKeptChanges(config, store, prompts, keptChanges))
        form->setWindowTitle(QString::fromStdString(SetupCaption(config.ConfigFileName)));

    // A stop signal ends the program as Exit does, without asking anyone: a run is closed first, as
    // its Quit does, and unsaved changes are kept for the next start instead of asked about.
    QPointer<MainForm> setup(form);
    std::function<void()> stop;
    stop = [&] {
        DismissModalDialogs();
        if (RuntimeSession* session = runtime.session(); session != nullptr && session->window() != nullptr) {
            session->window()->close();
            QTimer::singleShot(50, &app, stop); // the setup window follows once the run is over
            return;
        }
        if (!setup) {
            QApplication::quit();
            return;
        }
        if (isSet(config.ConfigChanged)) {
            std::error_code ignored;
            std::filesystem::create_directories(store.folder().toStdString(), ignored);
            // Kept nowhere, they are asked about as Exit asks rather than lost.
            if (KeepUnsavedChanges(config, store, keptChanges))
                config.ConfigChanged = kFalse;
        }
        setup->close();
    };
    StopSignals stops([&stop](int) { stop(); });
    if (!stops.ok())
        std::perror("quorvane: cannot install signal handlers");
    return QApplication::exec();
}

} // namespace quorvane
