#pragma once
// How the setup window starts the engine (the port, then the runtime window) and the port analyzer.

#include <cstdint>
#include <functional>
#include <string>

namespace quorvane {

/// ActivationKind values as the setup window keeps them.
inline constexpr std::int16_t kActivationNone = 0;
inline constexpr std::int16_t kActivationNormal = 1;
inline constexpr std::int16_t kActivationVirtual = 2;
inline constexpr std::int16_t kActivationTest = 3;

/// Runs the engine for the setup window; one run at a time.
class RuntimeHost {
public:
    virtual ~RuntimeHost() = default;
    /// Opens the configured port for a run of that ActivationKind; false after the port layer told
    /// the user why.
    virtual bool openPort(std::int16_t activationKind) = 0;
    /// Closes the port of an activation that goes no further, DTR and RTS untouched.
    virtual void abandonPort() = 0;
    /// Loads the engine and shows the runtime window; `ended` runs from the event loop once the
    /// window closed and the engine stopped.
    virtual void showRuntime(std::function<void()> ended) = 0;
    /// Opens the configured port and shows the port analyzer on it with `caption`; false after the
    /// port layer told the user why.
    virtual bool showAnalyzer(const std::string& caption) = 0;
    /// Closes the port analyzer, and with it its port, when it is open.
    virtual void closeAnalyzer() = 0;
};

} // namespace quorvane
