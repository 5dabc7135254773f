#pragma once
// Keystroke output wired to the desktop for a host (the headless run or the runtime window).

#include "config/Configuration.h"
#include "config/KeystrokeSettings.h"
#include "engine/Engine.h"
#include "platform/Clock.h"
#include "platform/UserPrompts.h"
#include "platform/WindowSystem.h"

#include <functional>
#include <memory>

namespace quorvane {

/// Owns the display connection, keyboard, windows and delivery of keystroke output.
class KeystrokeHost {
public:
    virtual ~KeystrokeHost() = default;
    /// At the end of a run: says how many records macro errors kept from being typed, if any.
    virtual void reportEndOfRun() {}
};

/// Builds keystroke output and registers it as the engine's delivery of output mode 0; call before
/// Form_Load, keep the result as long as the engine. It types through the back end the settings
/// name, or for Auto the session's: XTest on the X display named by DISPLAY, the virtual keyboard
/// of the Wayland compositor (WAYLAND_DISPLAY) where it has one, the kernel's virtual keyboard
/// otherwise. The back end is chosen and connected with the first record to type. Without a
/// usable connection the records are shown
/// and counted but not typed, which is said once through prompts; a server that goes away is said
/// once, looked for again once a second, and said once more when it is back. Waits while typing run a nested
/// Qt event loop. Nothing is typed into runtimeWindow, nor into a window for which isOwnWindow is true.
std::unique_ptr<KeystrokeHost> installKeystrokeOutput(Engine& engine, const Configuration& config,
                                                      UserPrompts& prompts, const Clock& clock,
                                                      const KeystrokeSettings& settings,
                                                      WindowId runtimeWindow = kNoWindow,
                                                      std::function<bool(WindowId)> isOwnWindow = {});

} // namespace quorvane
