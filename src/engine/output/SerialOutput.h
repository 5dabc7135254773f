#pragma once
// What the running engine sends back to the device besides the acknowledgement: output string
// buttons, the break and DTR signals, the hot key actions and the timed output.

#include "config/Configuration.h"
#include "engine/Engine.h"
#include "engine/EngineExtensions.h"
#include "platform/Clock.h"
#include "platform/EngineView.h"
#include "platform/HotKeys.h"
#include "serial/SerialPort.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

/// HotKeyAction codes; any other code does nothing.
enum class HotKeyActionCode : std::int16_t {
    None = 0,
    TransmitString = 1,
    IssueBreak = 2,
    ToggleDtr = 3,
    EnableTimer = 4,
    DisableTimer = 5,
    RaiseDtr = 6,
    LowerDtr = 7,
    RaiseRts = 8,
    LowerRts = 9,
    Reset = 10,
    Suspend = 11,
    Enable = 12,
    EnableForOneRecord = 13,
};

/// TimedOutputFlags bits.
inline constexpr std::int16_t kTimedOutputEnabled = 1;
/// Timer action bit: transmit TimerString.
inline constexpr std::int16_t kTimerActionString = 2;
/// Timer action bit: pulse DTR; wins over the break bit.
inline constexpr std::int16_t kTimerActionDtr = 4;
/// Timer action bit: issue a break.
inline constexpr std::int16_t kTimerActionBreak = 8;
/// Ticks from StartBreak to the end of the break.
inline constexpr std::int16_t kBreakTicks = 2;

/// The TOutCtrl menu entry as the window shows it.
struct TimedOutputMenu {
    /// "Disable &Timed Output" while the timed output runs, "Enable &Timed Output" otherwise.
    std::string Caption = "Disable &Timed Output";
    /// Hidden when the configuration loaded had no interval.
    bool Visible = true;
    /// Disabled when there is nothing the timed output could do.
    bool Enabled = true;
};

/// The engine's senders of strings and signals. Serves the engine's timed output and hot key
/// seams; the window and the bus commands call its operations. Single-threaded like the engine.
class SerialOutput final : public EngineExtensions {
public:
    /// All borrowed; `config` is written by the timer commands. `hotKeys` may be null (no display).
    SerialOutput(Engine& engine, Configuration& config, SerialPort& port, EngineView& view,
                 const Clock& clock, HotKeys* hotKeys = nullptr);
    SerialOutput(const SerialOutput&) = delete;
    SerialOutput& operator=(const SerialOutput&) = delete;
    ~SerialOutput() override;

    /// Sets the port's break and restarts the countdown that clears it two ticks later; nothing in
    /// Virtual Instrument Mode.
    void StartBreak();
    /// Holds DTR low for 155 ms, blocking; nothing in Virtual Instrument Mode.
    void ToggleDtr();
    /// Raises or lowers DTR; nothing in Virtual Instrument Mode.
    void setDtr(bool raised);
    /// Raises or lowers RTS; nothing in Virtual Instrument Mode.
    void setRts(bool raised);

    /// Output string button `index` (1..20): queues its string unchanged; false when the output
    /// queue has no room for it.
    bool StringButton_Click(int index);
    /// The "Break" button.
    void BreakButton_Click();
    /// The "DTR~" button.
    void DTRToggleButton_Click();

    /// Carries out the action of hot key `id` (0..49).
    void KbdHook(int id);
    /// True while hot key `id` is registered.
    bool HotKeyRegistered(int id) const;

    /// The TOutCtrl menu entry: switches the timed output on or off.
    void TOutCtrl_Click();
    /// Switches the timed output on as TOutCtrl does ({TIMER-ON}, hot key action 4).
    void enableTimedOutput();
    /// Switches the timed output off as TOutCtrl does ({TIMER-OFF}, hot key action 5).
    void disableTimedOutput();
    /// True while the timed output runs.
    bool timedOutputEnabled() const;
    /// {TIMERINTERVAL=n}: a positive n restarts the interval; 0 or less switches the output off.
    void setTimerInterval(std::int32_t milliseconds);
    /// {TIMERSTRING=...}: the string of the timed output, raw bytes.
    void setTimerString(std::string text);
    /// State of the TOutCtrl menu entry; the window reads the enabled state when the menu opens.
    const TimedOutputMenu& TOutCtrl() const { return m_menu; }
    /// One tick of the timed output: at most one action, catching up one interval per tick.
    void TimedOutputStep();

    /// Load: sets up the TOutCtrl entry from the configuration and registers the hot keys.
    void registerHotKeys() override;
    /// Tick step 5.
    void timedOutputStep() override { TimedOutputStep(); }
    /// The time left of the running interval; 0 while a tick must start the interval or clear it.
    std::optional<std::uint32_t> msUntilTickWork() const override;
    /// Unload and reload: releases every registered hot key and stops the presses.
    void unregisterHotKeys() override;

private:
    bool isVirtual() const { return m_engine.activation() == ActivationKind::VirtualInstrument; }
    void setEnabled(bool enabled);
    void showMenu();
    // TimerInterval in milliseconds, a negative one as 0.
    std::uint32_t interval() const;

    Engine& m_engine;
    Configuration& m_config;
    SerialPort& m_port;
    EngineView& m_view;
    const Clock& m_clock;
    HotKeys* m_hotKeys;
    std::array<bool, kHotKeyCount> m_registered{};
    TimedOutputMenu m_menu;
};

} // namespace quorvane
