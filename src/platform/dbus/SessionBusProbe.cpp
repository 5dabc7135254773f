#include "platform/dbus/SessionBusProbe.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>

namespace quorvane {

namespace {

bool plainAddressByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("-_/.\\*").find(c) != std::string_view::npos;
}

// An address value with its %XX escapes undone; nullopt when it holds anything else unescaped.
std::optional<std::string> unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            if (!plainAddressByte(value[i]))
                return std::nullopt;
            out += value[i];
            continue;
        }
        unsigned char byte = 0;
        const char* digits = value.data() + i + 1;
        if (i + 2 >= value.size() || std::from_chars(digits, digits + 2, byte, 16).ptr != digits + 2)
            return std::nullopt;
        out += static_cast<char>(byte);
        i += 2;
    }
    return out;
}

// True when the one address `entry` ("unix:path=/run/x,guid=...") is a socket path that is not there.
bool missingSocket(std::string_view entry, const PathLookup& exists) {
    constexpr std::string_view kUnix = "unix:";
    if (entry.substr(0, kUnix.size()) != kUnix)
        return false;
    entry.remove_prefix(kUnix.size());
    std::optional<std::string> path;
    while (!entry.empty()) {
        const std::size_t comma = entry.find(',');
        const std::string_view pair = entry.substr(0, comma);
        entry = comma == std::string_view::npos ? std::string_view() : entry.substr(comma + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            return false;
        const std::string_view key = pair.substr(0, equals);
        const std::optional<std::string> value = unescape(pair.substr(equals + 1));
        if (!value || value->empty())
            return false;
        if (key == "path" && !path)
            path = *value;
        else if (key != "guid")
            return false;
    }
    return path && !exists(*path);
}

} // namespace

bool SessionBusUnreachable(const EnvironmentLookup& environment, const PathLookup& exists) {
    if (environment("DBUS_STARTER_ADDRESS"))
        return false;
    if (const std::optional<std::string> address = environment("DBUS_SESSION_BUS_ADDRESS")) {
        std::string_view rest = *address;
        if (rest.empty())
            return false;
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            if (!missingSocket(rest.substr(0, semicolon), exists))
                return false;
            rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        }
        return true;
    }
    // Without an address libdbus tries the user's runtime folder, then starts a bus through X.
    if (const auto runtime = environment("XDG_RUNTIME_DIR");
        runtime && !runtime->empty() && exists(*runtime + "/bus"))
        return false;
    const auto display = environment("DISPLAY");
    return !display || display->empty();
}

bool SessionBusUnreachable() {
    return SessionBusUnreachable(
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            return value ? std::optional<std::string>(value) : std::nullopt;
        },
        [](const std::string& path) {
            struct stat status {};
            return ::stat(path.c_str(), &status) == 0 || (errno != ENOENT && errno != ENOTDIR);
        });
}

} // namespace quorvane
