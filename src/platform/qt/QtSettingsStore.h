#pragma once
// The per-user settings store as QSettings INI files, one per application name.

#include <QString>

#include "platform/SettingsStore.h"

namespace quorvane {

/// Keeps each application's entries in <folder>/<application>.ini, where the folder defaults to
/// $XDG_CONFIG_HOME/quorvane (~/.config/quorvane). Texts are UTF-8 in the file; a
/// text that is not UTF-8 is stored as its bytes.
class QtSettingsStore final : public SettingsStore {
public:
    /// `folder` empty: the per-user default folder.
    explicit QtSettingsStore(QString folder = {});

    std::string GetSetting(std::string_view application, std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view value) override;

    /// The INI file that holds an application's entries.
    QString fileFor(std::string_view application) const;

private:
    QString m_folder;
};

} // namespace quorvane
