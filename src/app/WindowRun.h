#pragma once
// `quorvane FILE` on the desktop: the engine in its runtime window.

#include "config/CommandLine.h"

namespace quorvane {

/// True when a desktop session is there to show windows in (an X or Wayland display, or a Qt
/// platform named in QT_QPA_PLATFORM).
bool HasDesktopSession();

/// Loads the configuration, opens its port (or the --device path) and runs the engine in the
/// runtime window in Normal Mode until the window closes. Failures show their message boxes.
/// Returns the exit status: 0 after a normal end, 1 when the file cannot be loaded, the port cannot
/// be opened or there is no desktop session.
int RunWindow(int argc, char** argv, const CommandLine& line);

} // namespace quorvane
