#include "app/WindowRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "app/ConfigTools.h"
#include "app/DdeHost.h"
#include "app/HotKeyHost.h"
#include "app/KeystrokeHost.h"
#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/ConfigReload.h"
#include "engine/Engine.h"
#include "expr/ValueFormat.h"
#include "platform/posix/PosixConfigFileAccess.h"
#include "platform/posix/PosixFileAccess.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SystemClock.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtUserPrompts.h"
#include "runtime/Hoxel.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

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
    PortBindings bindings(store);
    if (!line.Device.empty())
        bindings.setOverride(PortName(config.PortIndex), line.Device);
    PosixSerialDevice device;
    SystemClock clock;
    SerialPort port(device, config, prompts, clock, bindings);
    if (!port.OpenPort())
        return 1;

    Hoxel window;
    window.setAboutInfo({line.File, bindings.devicePathFor(PortName(config.PortIndex))});
    DdeItemView items(window);
    PosixFileAccess files;
    const auto toCodePage = [](std::string_view utf8) { return Utf8ToBytes(utf8); };
    const FormatLocale locale = FormatLocale::fromLocale("", toCodePage).value_or(FormatLocale{});
    EngineEnvironment environment{ActivationKind::Normal, DecimalSeparator(locale), locale};
    EngineExtensionList extensions;
    Engine engine(config, EngineServices{port, items, prompts, prompts, clock, store, files, &extensions},
                  environment);
    const std::unique_ptr<HotKeyHost> hotKeys = StartHotKeyHost(engine, config, port, items, clock);
    extensions.add(hotKeys->extensions());
    std::unique_ptr<CommandInterpreter> commands;
    const std::unique_ptr<DdeHost> dde = StartDdeHost(
        {engine, config, items, prompts,
         [&commands](std::string_view c) { return commands && commands->execute(c); }, line.TraceDde});
    extensions.add(dde->extensions());
    PosixConfigFileAccess configFiles;
    ConfigReload reload({engine, config, port, items, extensions, prompts, configFiles});
    commands = std::make_unique<CommandInterpreter>(CommandTargets{
        engine, config, hotKeys->serialOutput(), dde->bridge(), items, prompts, clock, locale, reload});
    const auto keystrokes =
        installKeystrokeOutput(engine, config, prompts, clock, static_cast<WindowId>(window.winId()));
    window.connectEngine({engine, hotKeys->serialOutput(), dde->bridge()});
    QObject::connect(&window, &Hoxel::unloaded, &app, &QApplication::quit);

    engine.Form_Load();
    window.present();
    window.startTimer1();
    const int status = QApplication::exec();
    if (!engine.closed())
        engine.Form_Unload();
    keystrokes->reportEndOfRun();
    return status;
}

} // namespace quorvane
