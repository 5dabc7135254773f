#pragma once
// {CONFIG(path)}: the running engine takes another configuration file for the same port.

#include "config/Configuration.h"
#include "engine/bus/CommandInterpreter.h"
#include "engine/EngineExtensions.h"
#include "platform/ConfigFileAccess.h"
#include "platform/EngineView.h"
#include "platform/UserPrompts.h"

#include <string>

namespace quorvane {

class Engine;
class SerialPort;

/// What a reload works on; every reference must outlive the reloader.
struct ConfigReloadParts {
    Engine& Hoxel;
    /// The configuration the engine runs on; replaced in place so every reference to it stays valid.
    Configuration& Config;
    SerialPort& Port;
    /// The runtime window as the engine drives it.
    EngineView& View;
    /// The engine's extensions: the DDE client and the hot keys are stopped before the load.
    EngineExtensions& Extensions;
    /// Messages of the configuration file reader.
    UserPrompts& Prompts;
    /// Where the configuration file is read from.
    ConfigFileAccess& Files;
};

/// Reloads the engine: validates the file, reads it, closes the port, stops the DDE client and the
/// hot keys, removes the tray icon, reopens the port and runs Form_Load again. The DDE topic stays.
class ConfigReload final : public ConfigReloader {
public:
    explicit ConfigReload(ConfigReloadParts parts) : m_parts(parts) {}

    /// False, with nothing changed, when the file is missing, is no configuration, stores another port
    /// or cannot be read whole, and while another reload is running.
    bool reloadConfiguration(const std::string& path) override;

private:
    bool reload(const std::string& path);

    ConfigReloadParts m_parts;
    bool m_running = false;
};

} // namespace quorvane
