#pragma once
// One run of the engine in the runtime window: the port, the window and everything the engine is
// wired to (hot keys, the DDE host, the reload command, keystroke output). `quorvane FILE` and the
// setup window's activation both run the engine through it.

#include "config/Configuration.h"
#include "config/KeystrokeSettings.h"
#include "engine/EngineState.h"
#include "platform/SettingsStore.h"
#include "platform/SoundBeep.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorvane {

class ComShow;
class Hoxel;
class PickerHost;

/// How a run is started.
struct RuntimeOptions {
    ActivationKind Activation = ActivationKind::Normal;
    /// --device PATH: the device used for the configured port in this run; empty for the binding.
    std::string Device;
    /// Writes the DDE client's diagnostic lines to standard error.
    bool TraceDde = false;
    /// The process's pickers, for the device window of Virtual Instrument Mode; a run without them
    /// (`quorvane FILE`, always Normal Mode) loads its own if it ever needs them.
    PickerHost* Pickers = nullptr;
    /// --keystrokes NAME: the keystroke back end of this run, over the per-user setting.
    std::optional<KeystrokeBackendKind> Keystrokes = std::nullopt;
};

/// Owns the port and, once started, the runtime window and the engine. Every reference must outlive
/// the session.
class RuntimeSession {
public:
    RuntimeSession(Configuration& config, UserPrompts& prompts, SoundBeep& sounds, SettingsStore& store,
                   RuntimeOptions options);
    ~RuntimeSession();
    RuntimeSession(const RuntimeSession&) = delete;
    RuntimeSession& operator=(const RuntimeSession&) = delete;

    /// OpenPort on the configured port; false after the port layer told the user why. In Virtual
    /// Instrument Mode no port is opened: PortName is set and writes go to the device window.
    bool openPort();
    /// Closes the port of an activation that goes no further, DTR and RTS untouched.
    void abandonPort();
    /// Loads the engine and shows the runtime window, and in Virtual Instrument Mode the device window.
    /// `ended` runs from the event loop, after the signal that closed the window has returned, so it may
    /// destroy the session.
    void start(std::function<void()> ended);
    /// Shuts the engine down if the window did not, and says what the run could not type.
    void finish();
    /// Lowers DTR and RTS and closes the port at once, without the window: for an end that leaves
    /// the window no time to close (the display went away). Touches nothing of Qt.
    void closePortNow();
    /// The runtime window; null before start.
    Hoxel* window() const;
    /// The port analyzer playing the device in Virtual Instrument Mode; null otherwise.
    ComShow* virtualDevice() const;

private:
    struct Running;
    void showVirtualDevice();

    Configuration& m_config;
    UserPrompts& m_prompts;
    SoundBeep& m_sounds;
    SettingsStore& m_store;
    RuntimeOptions m_options;
    struct Port;
    std::unique_ptr<Port> m_port;
    std::unique_ptr<Running> m_running;
};

} // namespace quorvane
