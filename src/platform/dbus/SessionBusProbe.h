#pragma once
// Whether this process can reach a session bus at all, decided before QtDBus is touched. QtDBus
// starts a thread of its own at its first use, even when it then finds no bus; with a second
// thread in the process, the kernel takes a reference and the file position lock on every write(),
// which costs a log run about a tenth of its speed. A run that certainly has no bus does without.

#include <functional>
#include <optional>
#include <string>

namespace quorvane {

/// An environment variable's value, or nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
/// False only when nothing exists at the path (ENOENT, ENOTDIR).
using PathLookup = std::function<bool(const std::string& path)>;

/// True only when connecting to the session bus certainly fails, looked for as libdbus does:
/// DBUS_SESSION_BUS_ADDRESS lists nothing but `unix:path=` sockets that do not exist; or, without
/// it, there is no $XDG_RUNTIME_DIR/bus and no X display to start a bus through. A starter
/// address, any other transport or key, or an address that does not parse counts as reachable.
bool SessionBusUnreachable(const EnvironmentLookup& environment, const PathLookup& exists);

/// The same for this process's environment and file system.
bool SessionBusUnreachable();

} // namespace quorvane
