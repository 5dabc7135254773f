#include "engine/bus/ConfigReload.h"

#include "config/ConfigFiles.h"
#include "engine/Engine.h"
#include "serial/SerialPort.h"

#include <optional>

namespace quorvane {

bool ConfigReload::reloadConfiguration(const std::string& path) {
    // A message box of the load (a link that cannot be established) lets other commands run; one
    // more reload from there would tear down the engine that the running one is building.
    if (m_running)
        return false;
    m_running = true;
    const bool reloaded = reload(path);
    m_running = false;
    return reloaded;
}

bool ConfigReload::reload(const std::string& path) {
    NoFileDialogs dialogs; // a reload never shows a dialog
    NoSettingsStore store; // nor keeps a recent-file list
    RecentFiles recent(store);

    // The file is read into a copy first: a file that passes validation but is damaged further on
    // must leave the running configuration as it is.
    Configuration next = m_parts.Config;
    ConfigFiles files(next, m_parts.Files, m_parts.Prompts, dialogs, recent);
    if (files.ValidateConfigFile(path) != m_parts.Config.PortIndex)
        return false;
    next.ConfigFileName = path;
    if (!files.ReadConfigFile())
        return false;

    EngineView& view = m_parts.View;
    view.clearFieldBoxes();
    for (int i = 1; i <= kOutputStringCount; ++i)
        view.setStringButton(i, m_parts.Config.OutputStringName[static_cast<std::size_t>(i)], false, -1);

    m_parts.Config = std::move(next);
    m_parts.Port.CloseHandleOnly();
    m_parts.Extensions.stopDdeClient();
    m_parts.Extensions.unregisterHotKeys();
    view.removeTrayIcon();
    // A port that cannot be reopened has told the user why; the engine still loads so that the
    // window shows the new configuration and can be closed.
    m_parts.Port.OpenPort();
    m_parts.Hoxel.Form_Load();
    return true;
}

} // namespace quorvane
