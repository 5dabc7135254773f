#include "engine/ConfigReload.h"

#include "config/ConfigFiles.h"
#include "engine/Engine.h"
#include "serial/SerialPort.h"

#include <optional>

namespace quorvane {

namespace {

// The reader's file dialogs and recent-file list are never used by a reload.
class NoDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

class NoStore final : public SettingsStore {
public:
    std::string GetSetting(std::string_view, std::string_view, std::string_view,
                           std::string_view defaultValue) const override {
        return std::string(defaultValue);
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

} // namespace

bool ConfigReload::reloadConfiguration(const std::string& path) {
    NoDialogs dialogs;
    NoStore store;
    RecentFiles recent(store);

    // The file is read into a copy first: a file that passes validation but is damaged further on
    // must leave the running configuration as it is.
    Configuration next = m_parts.Config;
    ConfigFiles files(next, m_parts.Prompts, dialogs, recent);
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
