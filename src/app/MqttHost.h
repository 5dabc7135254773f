#pragma once
// The MQTT publisher of a run, wired to the event loop: the client's wake-up descriptor, the
// reconnect and queue timer, and the stop.

#include "engine/mqtt/MqttPublisher.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompts.h"

#include <memory>
#include <string>

namespace quorvane {

class Engine;

/// What a run hands the publisher.
struct MqttHostParts {
    Engine& Hoxel;
    const Configuration& Config;
    SettingsStore& Store;
    UserPrompts& Prompts;
    const Clock& Time;
    /// The configuration file, whose base name is the default instrument.
    std::string ConfigFile;
    /// The device path of the port.
    std::string DevicePath;
    /// --mqtt URL and --instrument NAME; empty keeps the settings store's.
    std::string Url;
    std::string Instrument;
    std::string Version;
    /// Runs commands from the broker.
    MqttCommandHandler Commands;
};

class MqttHost {
public:
    virtual ~MqttHost() = default;
    /// Called after each engine step: arms the timer for the publisher's next work.
    virtual void afterEngineStep() = 0;
    /// Publishes "offline", gives what is in flight a moment, keeps the rest on disk.
    virtual void stop() = 0;
};

/// How starting the publisher went.
struct MqttStart {
    /// Null when no broker is set, or when the settings could not be used.
    std::unique_ptr<MqttHost> Host;
    /// True when a broker is set but its settings cannot be used (the user was told why).
    bool Failed = false;
};

/// Starts publishing when a broker URL is set (settings store or --mqtt) and observes the engine's
/// records from now on.
MqttStart StartMqttHost(MqttHostParts parts);

/// Where a run's queue lives: $XDG_STATE_HOME/quorvane/mqtt/<instrument>.queue.
std::string MqttQueuePath(const std::string& instrument);

} // namespace quorvane
