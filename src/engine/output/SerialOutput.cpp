#include "engine/output/SerialOutput.h"

#include "config/ConfigLimits.h"

namespace quorvane {

namespace {

// Registration takes the Windows MOD_* values; the key word has its own modifier bits.
unsigned registrationModifiers(int keyWordModifiers) {
    unsigned modifiers = 0;
    if ((keyWordModifiers & kHotKeyShift) != 0)
        modifiers |= kHotKeyModShift;
    if ((keyWordModifiers & kHotKeyCtrl) != 0)
        modifiers |= kHotKeyModControl;
    if ((keyWordModifiers & kHotKeyAlt) != 0)
        modifiers |= kHotKeyModAlt;
    return modifiers;
}

bool validHotKey(int id) {
    return id >= 0 && id < kHotKeyCount;
}

} // namespace

SerialOutput::SerialOutput(Engine& engine, Configuration& config, SerialPort& port, EngineView& view,
                           const Clock& clock, HotKeys* hotKeys)
    : m_engine(engine), m_config(config), m_port(port), m_view(view), m_clock(clock), m_hotKeys(hotKeys) {}

SerialOutput::~SerialOutput() {
    // A press handler left installed would call into a destroyed object.
    unregisterHotKeys();
}

void SerialOutput::StartBreak() {
    if (isVirtual())
        return;
    m_port.SetBreak();
    m_engine.state().BreakTicks = kBreakTicks;
}

void SerialOutput::ToggleDtr() {
    if (!isVirtual())
        m_port.ToggleDtr();
}

void SerialOutput::setDtr(bool raised) {
    if (isVirtual())
        return;
    if (raised)
        m_port.SetDtr();
    else
        m_port.ClearDtr();
}

void SerialOutput::setRts(bool raised) {
    if (isVirtual())
        return;
    if (raised)
        m_port.SetRts();
    else
        m_port.ClearRts();
}

bool SerialOutput::StringButton_Click(int index) {
    if (index < 1 || index > kOutputStringCount)
        return false;
    return m_engine.QueueOutput(m_config.OutputString[static_cast<std::size_t>(index)]);
}

void SerialOutput::BreakButton_Click() {
    StartBreak();
}

void SerialOutput::DTRToggleButton_Click() {
    ToggleDtr();
}

void SerialOutput::KbdHook(int id) {
    if (!validHotKey(id))
        return;
    const auto index = static_cast<std::size_t>(id);
    EngineState& state = m_engine.state();
    switch (static_cast<HotKeyActionCode>(m_config.HotKeyAction[index])) {
    case HotKeyActionCode::TransmitString:
        m_engine.QueueOutput(m_config.HotKeyString[index]);
        break;
    case HotKeyActionCode::IssueBreak:
        StartBreak();
        break;
    case HotKeyActionCode::ToggleDtr:
        ToggleDtr();
        break;
    case HotKeyActionCode::EnableTimer:
        enableTimedOutput();
        break;
    case HotKeyActionCode::DisableTimer:
        disableTimedOutput();
        break;
    case HotKeyActionCode::RaiseDtr:
        setDtr(true);
        break;
    case HotKeyActionCode::LowerDtr:
        setDtr(false);
        break;
    case HotKeyActionCode::RaiseRts:
        setRts(true);
        break;
    case HotKeyActionCode::LowerRts:
        setRts(false);
        break;
    case HotKeyActionCode::Reset:
        m_engine.MReset_Click();
        break;
    case HotKeyActionCode::Suspend:
        if (!state.Suspended)
            m_engine.SuspendMenu_Click();
        break;
    case HotKeyActionCode::Enable:
        if (state.Suspended)
            m_engine.SuspendMenu_Click();
        break;
    case HotKeyActionCode::EnableForOneRecord:
        if (state.Suspended)
            m_engine.Resume1_Click();
        break;
    case HotKeyActionCode::None:
    default:
        break;
    }
}

bool SerialOutput::HotKeyRegistered(int id) const {
    return validHotKey(id) && m_registered[static_cast<std::size_t>(id)];
}

void SerialOutput::registerHotKeys() {
    // Runs in every load, a configuration reload included: the menu entry follows the new settings.
    m_menu = TimedOutputMenu{};
    m_menu.Visible = m_config.TimerInterval != 0;
    if (!timedOutputEnabled())
        m_menu.Caption = "Enable &Timed Output";
    showMenu();

    m_registered.fill(false);
    if (m_hotKeys == nullptr)
        return;
    for (int id = 0; id < kHotKeyCount; ++id) {
        const HotKeyBinding binding = HotKeyRegistration(m_config.HotKey[static_cast<std::size_t>(id)]);
        if (binding.VirtualKey == 0)
            continue;
        m_registered[static_cast<std::size_t>(id)] = m_hotKeys->registerKey(
            id, static_cast<std::uint8_t>(binding.VirtualKey), registrationModifiers(binding.Modifiers));
    }
    m_hotKeys->setPressHandler([this](int id) { KbdHook(id); });
}

void SerialOutput::unregisterHotKeys() {
    if (m_hotKeys == nullptr)
        return;
    for (int id = 0; id < kHotKeyCount; ++id) {
        if (m_registered[static_cast<std::size_t>(id)])
            m_hotKeys->unregisterKey(id);
    }
    m_registered.fill(false);
    m_hotKeys->setPressHandler({});
}

} // namespace quorvane
