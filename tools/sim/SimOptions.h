#pragma once
// The simulator's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::sim {

/// Everything the command line sets, with the defaults of a plain `quorvane-sim`.
struct SimOptions {
    std::string Profile = "balance";
    /// Profile records per second.
    double Rate = 2.0;
    /// A file to send instead of a profile's records; empty for none.
    std::string ReplayFile;
    std::int64_t Baud = 9600;
    bool Loop = false;
    /// Profile records to send before exiting; none for no limit.
    std::optional<std::int64_t> Count;
    bool Fast = false;
    /// Seed of the random walks; none to draw one.
    std::optional<std::uint64_t> Seed;
    /// A symbolic link to make to the terminal; empty to print the terminal's path instead.
    std::string LinkPath;
    bool Help = false;
};

/// Parses the arguments after the program name; a text is the usage error to report.
std::variant<SimOptions, std::string> parseSimOptions(const std::vector<std::string>& args);

/// The text printed by --help.
std::string simUsageText();

} // namespace quorvane::sim
