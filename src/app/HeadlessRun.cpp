#include "app/HeadlessRun.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <memory>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "app/ConfigTools.h"
#include "app/DdeHost.h"
#include "app/HotKeyHost.h"
#include "app/KeystrokeHost.h"
#include "app/MqttHost.h"
#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/ConfigReload.h"
#include "engine/Engine.h"
#include "engine/output/QueuedLogOutput.h"
#include "expr/ValueFormat.h"
#include "platform/console/ConsoleEngineView.h"
#include "platform/console/ConsolePrompts.h"
#include "platform/posix/PosixConfigFileAccess.h"
#include "platform/posix/PosixFileAccess.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SystemClock.h"
#include "platform/qt/QtSettingsStore.h"
#include "runtime/TickScheduler.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"

namespace quorvane {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;
int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: note the stop and wake the event loop through the pipe.
extern "C" void onStopSignal(int) {
    g_stopRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(g_signalPipe[1], &byte, 1);
}

bool installStopSignals() {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A reader of standard output that goes away must not end the capture: writes then fail with
    // EPIPE instead. A hang-up ends the run as cleanly as the other stop signals.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigaction(SIGHUP, &action, nullptr) == 0 && sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

} // namespace

int RunHeadless(int argc, char** argv, const CommandLine& line) {
    QCoreApplication app(argc, argv);
    if (!installStopSignals()) {
        std::perror("quorvane: cannot install signal handlers");
        return 1;
    }

    ConsolePrompts prompts;
    prompts.setStopFlag(&g_stopRequested);
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
    if (!(line.WaitForDevice ? port.waitForDevice() : port.OpenPort()))
        return 1;
    // Said once, when the port first opens: which device this run captures from, and why that one.
    bool deviceTold = false;
    const auto tellDevice = [&] {
        if (deviceTold || !port.isOpen())
            return;
        deviceTold = true;
        prompts.messageBox(bindings.describeOpened(port.PortName()), "Quorvane - " + port.PortName(),
                           MessageButtons::Ok, MessageIcon::Information);
    };

    ConsoleEngineView view(STDOUT_FILENO, stderr, line.Quiet);
    DdeItemView items(view);
    PosixFileAccess files;
    const auto toCodePage = [](std::string_view utf8) { return Utf8ToBytes(utf8); };
    const FormatLocale locale = FormatLocale::fromLocale("", toCodePage).value_or(FormatLocale{});
    EngineEnvironment environment{ActivationKind::Normal, DecimalSeparator(locale), locale};
    EngineExtensionList extensions;
    Engine engine(config, EngineServices{port, items, prompts, view, clock, store, files, &extensions},
                  environment);
    const std::unique_ptr<HotKeyHost> hotKeys = StartHotKeyHost(engine, config, port, view, clock, prompts);
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
    const MqttStart mqtt = StartMqttHost(
        {engine, config, store, prompts, clock, line.File, port.devicePath(), line.MqttUrl, line.Instrument,
         QUORVANE_VERSION, [&commands](std::string_view c) { return commands && commands->execute(c); }});
    if (mqtt.Failed)
        return 1;
    KeystrokeSettings keystrokeSettings = LoadKeystrokeSettings(store);
    keystrokeSettings.Backend = line.Keystrokes.value_or(keystrokeSettings.Backend);
    const auto keystrokes = installKeystrokeOutput(engine, config, prompts, clock, keystrokeSettings);
    // Nobody can answer a Retry/Cancel question here: records wait for the log in memory instead.
    QueuedLogOutput log(config, files, prompts, clock);
    engine.setDelivery(2, log);
    engine.Form_Load();
    view.flush();
    tellDevice();

    // Typing waits in a nested event loop, so timer events and the stop signal can arrive while an
    // engine step is still running: the engine is shut down only once no step is on the stack.
    QTimer logRetry;
    // A FIFO whose reader is behind takes more as soon as it reads; a failing file is tried once a
    // second.
    const auto retryInterval = [&log] { return log.readerBusy() ? 50 : 1000; };
    std::unique_ptr<TickScheduler> scheduler;
    auto shutDown = [&] {
        scheduler->stop();
        if (!engine.closed())
            engine.Form_Unload();
        logRetry.stop();
        log.finish();
        if (mqtt.Host)
            mqtt.Host->stop();
        view.flush();
        app.quit();
    };
    QSocketNotifier stopNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        char drained[16];
        while (read(g_signalPipe[0], drained, sizeof drained) > 0) {
        }
        if (!scheduler->busy())
            shutDown();
    });

    // After each engine step: the end of the run, the log's backlog.
    scheduler = std::make_unique<TickScheduler>(engine, [&] {
        tellDevice();
        prompts.reportRecovery();
        view.flush();
        if (engine.exitRequested() || view.closeRequested() || g_stopRequested != 0) {
            shutDown();
            return;
        }
        if (log.waitingRecords() != 0 && !logRetry.isActive())
            logRetry.start(retryInterval());
        if (mqtt.Host)
            mqtt.Host->afterEngineStep();
    });
    QObject::connect(&logRetry, &QTimer::timeout, &app, [&] {
        while (log.retry()) {
            QCoreApplication::processEvents();
            if (g_stopRequested != 0)
                return;
        }
        if (log.waitingRecords() == 0)
            logRetry.stop();
        else
            logRetry.setInterval(retryInterval());
    });
    scheduler->start([&device] { return device.descriptor(); });
    const int status = app.exec();
    if (!engine.closed())
        engine.Form_Unload();
    log.finish();
    if (mqtt.Host)
        mqtt.Host->stop();
    view.reportUnshownLines();
    keystrokes->reportEndOfRun();
    return status;
}

} // namespace quorvane
