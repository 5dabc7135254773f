#pragma once
// Programs started directly from a command line, as the keystroke target is.

#include "platform/WindowSystem.h"

#include <sys/types.h>
#include <vector>

namespace quorvane {

/// Splits the command line (splitCommandLine) and runs it with posix_spawnp, searching PATH. The child
/// gets none of our descriptors beyond standard input, output and error, and default signal handling.
class PosixProgramLauncher final : public ProgramLauncher {
public:
    PosixProgramLauncher() = default;
    /// Collects children that have ended; running ones are left running.
    ~PosixProgramLauncher() override;
    PosixProgramLauncher(const PosixProgramLauncher&) = delete;
    PosixProgramLauncher& operator=(const PosixProgramLauncher&) = delete;

    LaunchResult startProgram(std::string_view commandLine) override;

private:
    void collectEndedChildren();

    std::vector<pid_t> m_children;
};

} // namespace quorvane
