#pragma once
// The senders of the running engine wired for a program with a Qt event loop: the serial output
// extension and the global hot keys that feed it: through the X display, or through the desktop's
// portal on Wayland.

#include "config/Configuration.h"
#include "engine/Engine.h"
#include "engine/output/SerialOutput.h"
#include "platform/Clock.h"
#include "platform/EngineView.h"
#include "platform/UserPrompts.h"
#include "serial/SerialPort.h"

#include <memory>

namespace quorvane {

/// Owns the serial output extension and the hot key connection; keep it as long as the engine.
class HotKeyHost {
public:
    virtual ~HotKeyHost() = default;
    /// The steps to add to the engine's extensions before Form_Load.
    virtual EngineExtensions& extensions() = 0;
    /// The operations the window and the bus commands call.
    virtual SerialOutput& serialOutput() = 0;
    /// True while the hot key connection to the X server works.
    virtual bool hotKeysAvailable() const = 0;
};

/// Creates the serial output for `engine`. On a Wayland desktop (WAYLAND_DISPLAY) the hot keys are
/// bound through the desktop's GlobalShortcuts portal when the first one is registered, and are off
/// (said once) where no portal offers it. Otherwise, when the first hot key is registered and
/// $DISPLAY is set, it connects to the X server and watches the connection from the running Qt event loop, so
/// hot key presses reach the engine between ticks; without a display the hot keys stay unregistered and
/// everything else works. A server that goes away is looked for again once a second and the hot
/// keys grabbed anew when it is back; both are said once through prompts.
std::unique_ptr<HotKeyHost> StartHotKeyHost(Engine& engine, Configuration& config, SerialPort& port,
                                            EngineView& view, const Clock& clock, UserPrompts& prompts);

} // namespace quorvane
