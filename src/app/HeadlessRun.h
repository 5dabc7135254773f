#pragma once
// The engine without windows: capture on servers and in end-to-end tests.

#include "config/CommandLine.h"

namespace quorvane {

/// Loads the configuration, opens its port (or the --device path), and runs the engine from a 50 ms
/// timer until SIGINT, SIGTERM or an exit command. Returns the exit status: 0 after a normal end,
/// 1 when the file cannot be loaded or the port cannot be opened.
int RunHeadless(int argc, char** argv, const CommandLine& line);

} // namespace quorvane
