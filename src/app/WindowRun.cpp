#include "app/WindowRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "app/ConfigTools.h"
#include "app/RuntimeSession.h"
#include "app/StopSignals.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtUserPrompts.h"
#include "runtime/Hoxel.h"

namespace quorvane {

namespace {

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

} // namespace

bool HasDesktopSession() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

int RunWindow(int argc, char** argv, const CommandLine& line) {
    if (!HasDesktopSession()) {
        std::fputs("quorvane: the runtime window needs a desktop session (no DISPLAY is set); "
                   "run 'quorvane --headless FILE' to capture without one\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));
    // Message boxes before the window exists must not end the program when they close.
    QApplication::setQuitOnLastWindowClosed(false);

    QtUserPrompts prompts;
    Configuration config;
    if (!LoadConfigurationForRun(line.File, config, prompts))
        return 1;

    QtSettingsStore store;
    RuntimeOptions options{ActivationKind::Normal, line.Device, line.TraceDde};
    options.Keystrokes = line.Keystrokes;
    RuntimeSession session(config, prompts, prompts, store, std::move(options));
    if (!session.openPort())
        return 1;
    session.start([] { QApplication::quit(); });
    // A stop signal closes the window as its Quit does: the position is stored, the lines lowered,
    // the port and its lock released. Message boxes open then are answered as if closed.
    StopSignals stops([&session](int) {
        DismissModalDialogs();
        if (Hoxel* window = session.window())
            window->close();
    });
    if (!stops.ok())
        std::perror("quorvane: cannot install signal handlers");
    CloseOnDisplayLoss([&session] { session.closePortNow(); });
    const int status = QApplication::exec();
    CloseOnDisplayLoss({});
    session.finish();
    return status;
}

} // namespace quorvane
