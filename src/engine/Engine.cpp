#include "engine/Engine.h"

#include "config/ConfigLimits.h"
#include "engine/FieldLayout.h"
#include "expr/ValRule.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr std::string_view kStoreSection = "Settings";
constexpr std::size_t kTrayTipLength = 64;

// A stored number, or nullopt when the text does not read as one.
std::optional<double> storedNumber(const std::string& text) {
    const std::optional<double> number = StrictNumber(text);
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    return number;
}

} // namespace

Engine::Engine(const Configuration& config, EngineServices services, EngineEnvironment environment)
    : m_config(config), m_services(services),
      m_ext(services.Extensions ? *services.Extensions : m_noExtensions), m_env(std::move(environment)),
      m_framing(m_state, m_slots, m_filter, *this),
      m_log(config, services.Files, services.Prompts, services.Time), m_deliveries{&m_showOnly, &m_showOnly,
                                                                                   &m_log},
      m_delivery(&m_showOnly) {}

void Engine::setDelivery(int outputMode, RecordDelivery& delivery) {
    if (outputMode >= 0 && outputMode < static_cast<int>(m_deliveries.size()))
        m_deliveries[static_cast<std::size_t>(outputMode)] = &delivery;
}

std::string Engine::portName() const {
    const std::string& opened = m_services.Port.PortName();
    return opened.empty() ? PortName(m_config.PortIndex) : opened;
}

std::string Engine::caption(bool suspended) const {
    std::string text = "Quorvane - " + portName();
    if (suspended)
        text += " (S)";
    if (!isVirtual() && m_services.Port.waitingForDevice())
        text += " (Disconnected)";
    if (isVirtual())
        text += " (Virtual Device)";
    return text;
}

void Engine::Form_Load() {
    EngineView& view = m_services.View;

    m_ext.startDdeClient();
    m_state.TimedOutputFlags = m_config.TimerFlags;
    m_state.TimedOutputBase = 0;
    m_ext.setServerTopic(portName());
    view.setCaption(caption(false));
    placeWindow();
    if (isSet(m_config.MinimizeOnActivation))
        view.setMinimized(true);
    m_state.TargetCommandLine = m_config.TargetAppCommand;
    // A reload can find the window suspended: its menu must offer to suspend again, not to resume.
    // A first load keeps the window's own captions.
    if (m_state.Suspended) {
        view.setMenuCaption(EngineMenu::SuspendMenu, "&Suspend Quorvane");
        view.setMenuVisible(EngineMenu::Resume1, false);
    }
    m_state.Suspended = false;
    m_state.OneRecordOnly = false;
    m_state.ExitCountdown = 0;
    view.setSignalButtons((m_config.ButtonFlags & 1) != 0, (m_config.ButtonFlags & 2) != 0);
    if (m_config.TimerInterval == 0) {
        m_state.TimedOutputFlags = static_cast<std::int16_t>(m_state.TimedOutputFlags & ~1);
        view.setMenuVisible(EngineMenu::TOutCtrl, false);
    } else if ((m_state.TimedOutputFlags & 1) == 0) {
        view.setMenuCaption(EngineMenu::TOutCtrl, "Enable &Timed Output");
    }
    m_fieldCount = std::clamp<int>(m_config.FieldCount, 1, kMaxFields);
    layOutButtonsAndFields();

    m_state.FieldIndex = 1;
    m_state.FieldCharCount = 0;
    m_state.RecordCharCount = 0;
    m_state.IdleTicks = 0;
    // A record half framed under the previous configuration does not go on in the new layout.
    m_state.InRecord = false;
    m_state.VoidPending = false;
    m_state.PrevWasSpace = false;
    m_translation = OutputTranslation::ForMode(m_config);
    m_filter.configure(m_config, m_translation, m_env.DecimalSeparator);
    m_processor.configure(m_config, m_translation, m_env.Locale);

    m_state.DispatchMode = DeriveDispatchMode(m_config.EndOfRecordEvent, m_config.RecordStructure);
    m_state.EndChars = DeriveEndChars(m_config.EndOfRecordEvent, m_config.EndOfRecordChars);
    m_framing.configure(m_config, m_env.DecimalSeparator);
    m_framing.forgetFilledSlots();
    // Keystroke and DDE output stop at the shared seam until their own deliveries are registered.
    m_delivery = m_config.OutputMode == 1   ? m_deliveries[1]
                 : m_config.OutputMode == 2 ? m_deliveries[2]
                                            : m_deliveries[0];

    m_state.DdeCommandWanted = m_config.OutputMode == 1 && !m_config.DdeCommand.empty();
    view.setDateTimeVisible(isSet(m_config.ShowDateTime));
    m_ext.establishAutoLinks();
    m_ext.registerHotKeys();
    view.addTrayIcon(caption(false).substr(0, kTrayTipLength));
    if (isSet(m_config.StartSuspended))
        SuspendMenu_Click();
    if (isSet(m_config.AlwaysOnTop))
        view.setAlwaysOnTop(true);
}

void Engine::placeWindow() {
    const std::string app = storeApplication();
    SettingsStore& store = m_services.Store;
    WindowPosition position = m_services.View.windowPosition();
    bool readable = false;
    if (const auto left = storedNumber(store.GetSetting(app, kStoreSection, "MainLeft", "1000"))) {
        position.Left = *left;
        readable = true;
    }
    if (const auto top = storedNumber(store.GetSetting(app, kStoreSection, "MainTop", "1000"))) {
        position.Top = *top;
        readable = true;
    }
    if (readable)
        m_services.View.setWindowPosition(position);

    m_state.SpecialBeep = 0;
    if (const auto sound = storedNumber(store.GetSetting(app, kStoreSection, "SpecialBeep", "0"))) {
        // The sound number is a 32-bit value; negative numbers stand for the high codes.
        const double clamped = std::clamp(std::trunc(*sound), -2147483648.0, 4294967295.0);
        m_state.SpecialBeep = static_cast<std::uint32_t>(static_cast<std::int64_t>(clamped));
    }
}

void Engine::layOutButtonsAndFields() {
    EngineView& view = m_services.View;
    int shown = 0;
    for (int i = 1; i <= kOutputStringCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const bool visible = !m_config.OutputString[index].empty();
        view.setStringButton(i, m_config.OutputStringName[index], visible, visible ? shown : -1);
        if (visible)
            ++shown;
    }
    ClearFieldSlots(m_slots, kMaxFields);

    const FieldDisplayLayout layout = LayOutFieldDisplay(m_fieldCount, shown);
    view.clearFieldBoxes();
    for (int n = 1; n <= m_fieldCount; ++n) {
        const std::string tag = "Field(" + std::to_string(n) + ")";
        if (n <= layout.FirstColumnRows)
            view.addFieldBox(n, tag, 0, n - 1);
        else
            view.addFieldBox(n, tag, 1, n - layout.FirstColumnRows - 1);
    }
    // A minimized window cannot be resized: restore it for the resize.
    const bool minimized = view.isMinimized();
    if (minimized)
        view.setMinimized(false);
    view.setWindowHeight(layout.WindowHeight);
    if (minimized)
        view.setMinimized(true);
}

} // namespace quorvane
