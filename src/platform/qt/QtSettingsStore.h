#pragma once
// The per-user settings store as QSettings INI files, one per application name.

#include <QString>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/SettingsStore.h"

namespace quorvane {

/// Keeps each application's entries in <folder>/<application>.ini, where the folder defaults to
/// $XDG_CONFIG_HOME/quorvane (~/.config/quorvane). Texts are UTF-8 in the file; a
/// text that is not UTF-8 is stored as its bytes. A file that is no regular file (a device, a FIFO,
/// a folder, also behind a link) is neither read nor written; one that cannot be read whole is
/// read as far as it goes and never written over. Each such file is reported once.
class QtSettingsStore final : public SettingsStore {
public:
    /// Receives the reason a settings file cannot be used, once per file.
    using ProblemReporter = std::function<void(const std::string&)>;

    /// `folder` empty: the per-user default folder. Without a reporter, problems go to standard
    /// error.
    explicit QtSettingsStore(QString folder = {}, ProblemReporter report = {});

    std::string GetSetting(std::string_view application, std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view value) override;

    /// The folder of the INI files.
    const QString& folder() const { return m_folder; }
    /// The INI file that holds an application's entries.
    QString fileFor(std::string_view application) const;

private:
    enum class Access { ReadWrite, ReadOnly, None };
    /// What may be done with the file: nothing for a device, FIFO or folder; reading only for a
    /// file that cannot be read whole. Reports each refused file the first time.
    Access accessTo(const QString& file) const;
    void report(const QString& file, const std::string& why) const;

    QString m_folder;
    ProblemReporter m_report;
    mutable std::map<QString, Access> m_refused;
    mutable std::set<QString> m_checked;
};

} // namespace quorvane
