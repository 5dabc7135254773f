#include "app/RuntimeSession.h"

#include <QApplication>
#include <QObject>
#include <QWidget>

#include <algorithm>

#include <cstdio>

#include "analyzer/ComShow.h"
#include "app/DdeHost.h"
#include "app/HotKeyHost.h"
#include "app/KeystrokeHost.h"
#include "app/MqttHost.h"
#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "config/ConfigSummary.h"
#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/ConfigReload.h"
#include "engine/Engine.h"
#include "expr/ValueFormat.h"
#include "platform/posix/PosixConfigFileAccess.h"
#include "platform/posix/PosixFileAccess.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SystemClock.h"
#include "runtime/Hoxel.h"
#include "runtime/RecordViews.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"
#include "setup/widgets/PickerHost.h"

namespace quorvane {

namespace {

// Any top-level window of this program on X11: the runtime window, the virtual device, a dialog or
// a message box. Only windows that already have a native window can be the foreground. Wayland gives
// Qt no window ids (the keystroke back end knows the program's windows by its application id).
bool IsOwnWindow(WindowId window) {
    if (window == kNoWindow || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    const auto widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [window](const QWidget* w) {
        return static_cast<WindowId>(w->internalWinId()) == window;
    });
}

} // namespace

struct RuntimeSession::Port {
    Port(Configuration& config, UserPrompts& prompts, SettingsStore& store, const std::string& device)
        : Bindings(store), Serial(Device, config, prompts, Clock, Bindings) {
        if (!device.empty())
            Bindings.setOverride(PortName(config.PortIndex), device);
    }
    PortBindings Bindings;
    PosixSerialDevice Device;
    SystemClock Clock;
    SerialPort Serial;
};

// Members in the order they are built: each may use the ones before it.
struct RuntimeSession::Running {
    Running(RuntimeSession& s, Port& port)
        : Items(Window),
          Locale(FormatLocale::fromLocale("", [](std::string_view utf8) { return Utf8ToBytes(utf8); })
                     .value_or(FormatLocale{})),
          Hoxel(s.m_config,
                EngineServices{port.Serial, Items, s.m_prompts, s.m_sounds, port.Clock, s.m_store, Files,
                               &Extensions},
                EngineEnvironment{s.m_options.Activation, DecimalSeparator(Locale), Locale}),
          HotKeys(StartHotKeyHost(Hoxel, s.m_config, port.Serial, Items, port.Clock, s.m_prompts)) {
        Extensions.add(HotKeys->extensions());
        Dde = StartDdeHost({Hoxel, s.m_config, Items, s.m_prompts,
                            [this](std::string_view c) { return Commands && Commands->execute(c); },
                            s.m_options.TraceDde});
        Extensions.add(Dde->extensions());
        Reload = std::make_unique<ConfigReload>(
            ConfigReloadParts{Hoxel, s.m_config, port.Serial, Items, Extensions, s.m_prompts, ConfigFiles});
        Commands = std::make_unique<CommandInterpreter>(
            CommandTargets{Hoxel, s.m_config, HotKeys->serialOutput(), Dde->bridge(), Items, s.m_prompts,
                           port.Clock, Locale, *Reload});
        // A broker set in the settings store gets the records of windowed runs too; settings that
        // cannot be used were reported and the run goes on without publishing.
        if (s.m_options.Activation != ActivationKind::VirtualInstrument)
            Mqtt = StartMqttHost({Hoxel,
                                  s.m_config,
                                  s.m_store,
                                  s.m_prompts,
                                  port.Clock,
                                  s.m_config.ConfigFileName,
                                  port.Serial.devicePath(),
                                  {},
                                  {},
                                  QUORVANE_VERSION,
                                  [this](std::string_view c) { return Commands && Commands->execute(c); }});
        KeystrokeSettings keystrokes = LoadKeystrokeSettings(s.m_store);
        keystrokes.Backend = s.m_options.Keystrokes.value_or(keystrokes.Backend);
        Keystrokes = installKeystrokeOutput(Hoxel, s.m_config, s.m_prompts, port.Clock, keystrokes,
                                            static_cast<WindowId>(Window.winId()), IsOwnWindow);
        Window.connectEngine({Hoxel, HotKeys->serialOutput(), Dde->bridge()});
        Views = std::make_unique<RecordViews>(Hoxel, s.m_store);
        QObject::connect(&Window, &Hoxel::historyRequested, Views.get(), &RecordViews::showHistory);
        QObject::connect(&Window, &Hoxel::plotRequested, Views.get(), &RecordViews::showPlot);
        QObject::connect(&Window, &Hoxel::unloaded, Views.get(), &RecordViews::closeAll);
    }

    quorvane::Hoxel Window;
    DdeItemView Items;
    PosixFileAccess Files;
    PosixConfigFileAccess ConfigFiles;
    FormatLocale Locale;
    EngineExtensionList Extensions;
    Engine Hoxel;
    std::unique_ptr<HotKeyHost> HotKeys;
    std::unique_ptr<DdeHost> Dde;
    std::unique_ptr<ConfigReload> Reload;
    std::unique_ptr<CommandInterpreter> Commands;
    MqttStart Mqtt;
    std::unique_ptr<KeystrokeHost> Keystrokes;
    // The View menu's windows; they stop observing before the engine goes.
    std::unique_ptr<RecordViews> Views;
    // Virtual Instrument Mode: the analyzer window playing the device.
    ExecRunner Runner;
    std::unique_ptr<PickerHost> OwnPickers;
    std::unique_ptr<ComShow> Device;
};

RuntimeSession::RuntimeSession(Configuration& config, UserPrompts& prompts, SoundBeep& sounds,
                               SettingsStore& store, RuntimeOptions options)
    : m_config(config), m_prompts(prompts), m_sounds(sounds), m_store(store), m_options(std::move(options)),
      m_port(std::make_unique<Port>(config, prompts, store, m_options.Device)) {}

RuntimeSession::~RuntimeSession() {
    finish();
}

bool RuntimeSession::openPort() {
    if (m_options.Activation != ActivationKind::VirtualInstrument) {
        if (!m_port->Serial.OpenPort())
            return false;
        // Which device the window captures from, and why that one, for whoever started it.
        const std::string opened = m_port->Bindings.describeOpened(m_port->Serial.PortName());
        std::fprintf(stderr, "Quorvane - %s: %s\n", m_port->Serial.PortName().c_str(), opened.c_str());
        return true;
    }
    // No port: the engine's writes go to the device window, in display form.
    m_port->Serial.startVirtualMode([this](std::string_view shown) {
        if (m_running && m_running->Device)
            m_running->Device->appendReceived(shown);
    });
    return true;
}

void RuntimeSession::abandonPort() {
    if (m_port->Serial.isVirtual())
        m_port->Serial.stopVirtualMode();
    else
        m_port->Serial.CloseHandleOnly();
}

void RuntimeSession::showVirtualDevice() {
    Running& r = *m_running;
    r.Hoxel.VirtualInput().clear();
    PickerHost* pickers = m_options.Pickers;
    if (pickers == nullptr) {
        r.OwnPickers = std::make_unique<PickerHost>(m_config, r.Runner);
        pickers = r.OwnPickers.get();
    }
    r.Device = std::make_unique<ComShow>(ComShowParts{
        m_config,
        m_prompts,
        *pickers,
        nullptr,
        {[&r](std::string_view text) { r.Hoxel.VirtualInput().append(text); }, [&r] { r.Window.close(); }}});
    r.Device->show();
}

void RuntimeSession::start(std::function<void()> ended) {
    m_running = std::make_unique<Running>(*this, *m_port);
    m_running->Window.setAboutInfo([this] {
        return AboutInfo{m_config.ConfigFileName,
                         m_port->Bindings.devicePathFor(PortName(m_config.PortIndex)), LogFilePath(m_config)};
    });
    QObject::connect(&m_running->Window, &Hoxel::unloaded, &m_running->Window, std::move(ended),
                     Qt::QueuedConnection);
    m_running->Hoxel.Form_Load();
    m_running->Window.present();
    m_running->Window.startTimer1([port = m_port.get()] { return port->Device.descriptor(); });
    if (m_port->Serial.isVirtual())
        showVirtualDevice();
}

void RuntimeSession::closePortNow() {
    if (!m_port->Serial.isVirtual())
        m_port->Serial.ClosePort();
}

void RuntimeSession::finish() {
    if (m_running && m_running->Device) {
        m_running->Device.reset();
        m_port->Serial.stopVirtualMode();
    }
    if (!m_running || !m_running->Keystrokes)
        return;
    if (!m_running->Hoxel.closed())
        m_running->Hoxel.Form_Unload();
    if (m_running->Mqtt.Host)
        m_running->Mqtt.Host->stop();
    m_running->Keystrokes->reportEndOfRun();
    m_running->Keystrokes.reset();
}

Hoxel* RuntimeSession::window() const {
    return m_running ? &m_running->Window : nullptr;
}

ComShow* RuntimeSession::virtualDevice() const {
    return m_running ? m_running->Device.get() : nullptr;
}

} // namespace quorvane
