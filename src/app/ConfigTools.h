#pragma once
// The command-line tools on configuration files: --dump and --convert.

#include <string>

namespace quorvane {

/// Prints every setting of `path` to standard output; returns the exit status.
int DumpConfigFile(const std::string& path);

/// Reads `in` in any layout and writes `out` in the current layout; returns the exit status.
int ConvertConfigFile(const std::string& in, const std::string& out);

} // namespace quorvane
