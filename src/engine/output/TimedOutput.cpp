#include "engine/output/SerialOutput.h"

#include <algorithm>
#include <limits>

namespace quorvane {

namespace {

constexpr std::string_view kDisableCaption = "Disable &Timed Output";
constexpr std::string_view kEnableCaption = "Enable &Timed Output";

} // namespace

bool SerialOutput::timedOutputEnabled() const {
    return (m_engine.state().TimedOutputFlags & kTimedOutputEnabled) != 0;
}

void SerialOutput::setEnabled(bool enabled) {
    EngineState& state = m_engine.state();
    if (enabled)
        state.TimedOutputFlags = static_cast<std::int16_t>(state.TimedOutputFlags | kTimedOutputEnabled);
    else
        state.TimedOutputFlags = static_cast<std::int16_t>(state.TimedOutputFlags & ~kTimedOutputEnabled);
    m_menu.Caption = enabled ? kDisableCaption : kEnableCaption;
    showMenu();
}

void SerialOutput::showMenu() {
    m_view.setMenuCaption(EngineMenu::TOutCtrl, m_menu.Caption);
    m_view.setMenuVisible(EngineMenu::TOutCtrl, m_menu.Visible);
}

void SerialOutput::TOutCtrl_Click() {
    setEnabled(!timedOutputEnabled());
}

void SerialOutput::enableTimedOutput() {
    setEnabled(true);
}

void SerialOutput::disableTimedOutput() {
    setEnabled(false);
}

void SerialOutput::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds > 0) {
        m_config.TimerInterval = milliseconds;
        m_engine.state().TimedOutputBase = 0;
        m_menu.Caption = timedOutputEnabled() ? kDisableCaption : kEnableCaption;
        m_menu.Enabled = !((m_config.TimerFlags & kTimerActionString) != 0 && m_config.TimerString.empty());
        showMenu();
        return;
    }
    m_config.TimerInterval = 0;
    if (timedOutputEnabled())
        disableTimedOutput();
    m_menu.Enabled = false;
}

void SerialOutput::setTimerString(std::string text) {
    m_config.TimerString = std::move(text);
}

std::optional<std::uint32_t> SerialOutput::msUntilTickWork() const {
    const EngineState& state = m_engine.state();
    if (!timedOutputEnabled())
        return state.TimedOutputBase == 0 ? std::nullopt : std::optional<std::uint32_t>(0);
    if (state.TimedOutputBase == 0)
        return 0;
    const std::uint32_t elapsed = m_clock.tickCount() - static_cast<std::uint32_t>(state.TimedOutputBase);
    return elapsed < interval() ? interval() - elapsed : 0;
}

std::uint32_t SerialOutput::interval() const {
    return static_cast<std::uint32_t>(std::max<std::int32_t>(m_config.TimerInterval, 0));
}

void SerialOutput::TimedOutputStep() {
    EngineState& state = m_engine.state();
    if (!timedOutputEnabled()) {
        state.TimedOutputBase = 0;
        return;
    }
    const std::uint32_t now = m_clock.tickCount();
    if (state.TimedOutputBase == 0) {
        state.TimedOutputBase = static_cast<std::int32_t>(now);
        return;
    }
    // The tick count wraps every 49.7 days and goes negative as a signed number after 24.8: the
    // elapsed time is taken modulo 2^32 so that no point of the wrap stops the timed output.
    const std::uint32_t elapsed = now - static_cast<std::uint32_t>(state.TimedOutputBase);
    if (elapsed < interval())
        return;

    if ((state.TimedOutputFlags & kTimerActionDtr) != 0)
        ToggleDtr();
    else if ((state.TimedOutputFlags & kTimerActionBreak) != 0)
        StartBreak();
    else
        m_engine.QueueOutput(m_config.TimerString);

    // One interval per tick, so a stall is caught up one action per tick; a base past the signed
    // range starts the interval afresh on the next tick.
    const std::int64_t next = std::int64_t{state.TimedOutputBase} + interval();
    state.TimedOutputBase =
        next > std::numeric_limits<std::int32_t>::max() ? 0 : static_cast<std::int32_t>(next);
}

} // namespace quorvane
