#pragma once
// Top-level windows of the desktop and the starting of programs, as keystroke output uses them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// A top-level window of the desktop; kNoWindow when there is none.
using WindowId = std::uint64_t;

/// The absence of a window.
inline constexpr WindowId kNoWindow = 0;

/// The desktop's top-level windows. Titles are byte strings in the program's code page.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    /// The top-level windows in stacking order, the top-most first.
    virtual std::vector<WindowId> topLevelWindows() = 0;
    /// The window's title; empty when it has none or is gone.
    virtual std::string windowTitle(WindowId window) = 0;
    /// The window that has the keyboard focus (the active window); kNoWindow when none.
    virtual WindowId foregroundWindow() = 0;
    /// Makes the window the active one; true once it has the keyboard focus.
    virtual bool activate(WindowId window) = 0;
    /// True while the window is minimized (iconified or hidden).
    virtual bool isMinimized(WindowId window) = 0;
    /// Brings a minimized window back to its normal state and activates it.
    virtual void restore(WindowId window) = 0;
    /// Shows the window in its current state (maps it when it is not shown).
    virtual void show(WindowId window) = 0;
    /// Minimizes the window.
    virtual void minimize(WindowId window) = 0;
};

/// The outcome of starting a program.
struct LaunchResult {
    /// The process identifier; 0 when the program could not be started.
    std::int64_t ProcessId = 0;
    /// The system's description of the failure; empty on success.
    std::string Error;
};

/// Starts programs from a command line, without a shell.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    /// Splits the command line by shell quoting rules and runs the program it names.
    virtual LaunchResult startProgram(std::string_view commandLine) = 0;
};

} // namespace quorvane
