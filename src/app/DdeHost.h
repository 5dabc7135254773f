#pragma once
// The DDE bridge of a running engine on the session bus: server, items, the DDE output mode, the
// command client, the links and the clipboard.

#include "engine/bus/DdeBridge.h"

#include <memory>

namespace quorvane {

/// What the host hands over; every reference must outlive the returned host.
struct DdeHostSetup {
    Engine& Hoxel;
    Configuration& Config;
    /// The view the engine was built with, wrapping the runtime window.
    DdeItemView& Items;
    UserPrompts& Prompts;
    /// Runs an execute or a command-link text; true accepts it.
    DdeCommandHandler RunCommand;
    /// Writes the DDE client's diagnostic lines to standard error.
    bool Trace = false;
};

/// Owns the bus objects and the bridge; destroy it after the engine's Form_Unload.
class DdeHost {
public:
    virtual ~DdeHost() = default;
    /// The engine steps of the bridge, to add to the engine's EngineExtensionList.
    virtual EngineExtensions& extensions() = 0;
    /// The bridge's operations, for the command interpreter.
    virtual DdeBridge& bridge() = 0;
};

/// Connects to the session bus (where there certainly is none, QtDBus is not started at all and the
/// server and client simply find nobody), builds the bridge, and registers it as the delivery of
/// output mode 1. The clipboard is Qt's when the application is a QGuiApplication, and none otherwise.
std::unique_ptr<DdeHost> StartDdeHost(DdeHostSetup setup);

/// The command handler of a host without a command interpreter: refuses everything.
inline bool RefuseDdeCommand(std::string_view) {
    return false;
}

} // namespace quorvane
