#pragma once
// The command-line tools on configuration files: --dump and --convert.

#include <string>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

namespace quorvane {

/// Loads the file named on the command line through ReadCommandLine, as every start with a file does,
/// messages through `prompts` and a clear one on standard error when the file cannot be opened or
/// read; false when it was not loaded.
bool LoadConfigurationForRun(const std::string& argument, Configuration& config, UserPrompts& prompts);

/// Prints every setting of `path` to standard output; returns the exit status.
int DumpConfigFile(const std::string& path);

/// Reads `in` in any layout and writes `out` in the current layout; returns the exit status.
int ConvertConfigFile(const std::string& in, const std::string& out);

} // namespace quorvane
