#include "engine/Engine.h"
#include "expr/NumberText.h"

namespace quorvane {

void Engine::SuspendMenu_Click() {
    EngineView& view = m_services.View;
    if (!m_state.Suspended) {
        view.setCaption(caption(true));
        view.setMenuCaption(EngineMenu::SuspendMenu, "Re&sume Quorvane");
        m_state.Suspended = true;
        view.setMenuVisible(EngineMenu::Resume1, true);
    } else {
        view.setCaption(caption(false));
        view.setMenuCaption(EngineMenu::SuspendMenu, "&Suspend Quorvane");
        m_state.TimedOutputBase = 0;
        m_state.Suspended = false;
        view.setMenuVisible(EngineMenu::Resume1, false);
    }
}

void Engine::Resume1_Click() {
    // The menu entry exists only while suspended; a call while running must not suspend.
    if (!m_state.Suspended)
        return;
    m_state.OneRecordOnly = true;
    SuspendMenu_Click();
}

void Engine::MReset_Click() {
    if (!isVirtual())
        m_services.Port.PurgePort();
    m_virtualInput.clear();
    m_state.FieldIndex = 1;
    m_state.FieldCharCount = 0;
    m_state.RecordCharCount = 0;
    m_state.IdleTicks = 0;
    m_state.InRecord = false;
    // The discarded record's void mark would otherwise void the next, unrelated record.
    m_state.VoidPending = false;
    clearRecordSlots();
    for (int i = 1; i <= m_fieldCount; ++i)
        m_services.View.setFieldText(i, "");
    m_state.TimedOutputBase = 0;
    m_state.RecordNumber = 0;
    m_services.View.setRecordNumber("");
    if (m_state.Suspended)
        SuspendMenu_Click();
    if (isSet(m_config.StartSuspended))
        SuspendMenu_Click();
    m_state.OneRecordOnly = false;
}

void Engine::ExitMenu_Click() {
    if (m_exitRequested || m_closed)
        return;
    if (m_env.Activation != ActivationKind::Normal && !m_config.ConfigFileName.empty())
        m_ext.refreshSetupCaption();
    if (m_state.ExitCountdown != 0)
        m_ext.endServerConversations();
    m_exitRequested = true;
    m_services.View.closeWindow();
}

void Engine::Form_Unload() {
    if (m_closed)
        return;
    EngineView& view = m_services.View;
    if (!view.isMinimized()) {
        const WindowPosition position = view.windowPosition();
        const std::string app = storeApplication();
        m_services.Store.SaveSetting(app, "Settings", "MainLeft",
                                     NumberToText(static_cast<float>(position.Left)));
        m_services.Store.SaveSetting(app, "Settings", "MainTop",
                                     NumberToText(static_cast<float>(position.Top)));
    }
    m_ext.stopDdeClient();
    m_ext.unregisterHotKeys();
    view.removeTrayIcon();
    m_closed = true;
    if (!isVirtual())
        m_services.Port.ClosePort();
}

} // namespace quorvane
