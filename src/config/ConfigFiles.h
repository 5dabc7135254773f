#pragma once
// Loading and saving the configuration, the save prompt, and the setup window's file commands.

#include <cstdint>
#include <string>

#include "config/ConfigFileFormat.h"
#include "config/Configuration.h"
#include "config/RecentFiles.h"
#include "platform/ConfigFileAccess.h"
#include "platform/FileDialogs.h"
#include "platform/UserPrompts.h"

namespace quorvane {

/// What the setup window does when the configuration's file or contents change under it.
class ConfigFilesListener {
public:
    virtual ~ConfigFilesListener() = default;
    /// The caption shows the file name: rebuild it.
    virtual void captionChanged() {}
    /// The configuration was reset to its defaults.
    virtual void configurationReset() {}
};

/// A configuration file is well under this size; a larger file is refused unread.
inline constexpr std::size_t kMaxConfigFileBytes = 1024 * 1024;

/// The file operations on one configuration. Messages go through UserPrompts; nothing throws.
class ConfigFiles {
public:
    ConfigFiles(Configuration& config, ConfigFileAccess& files, UserPrompts& prompts, FileDialogs& dialogs,
                RecentFiles& recent, ConfigFilesListener* listener = nullptr);

    /// Writes the configuration to ConfigFileName, replacing the old file only once the new one is
    /// complete; false when the name is empty or writing failed (reported as "File I/O Error").
    bool WriteConfigFile();
    /// -2 for an empty path; -1 for a file that cannot be opened, is empty or is not a regular file
    /// (not reported), or that is larger than kMaxConfigFileBytes or is no configuration file
    /// (reported); else the stored PortIndex. Reads only the start of the file.
    std::int16_t ValidateConfigFile(const std::string& path);
    /// Reads ConfigFileName in the layout its header names. A damaged file is reported as invalid and
    /// the configuration reset to defaults, as a failed load does; returns false then.
    bool ReadConfigFile();
    /// Validation, then the reader or a reset to defaults.
    void LoadConfiguration();
    /// Offers to save unsaved changes; sets PromptCancelled, also when a save chosen there fails.
    void PromptSaveChanges();
    /// "&New"
    void FileNew();
    /// "&Open..."
    void FileLoad();
    /// "&Save"
    void FileSave();
    /// "Save &As..."
    void FileSaveAs();
    /// A click on recent-file entry k: the save prompt, then the load.
    void OpenRecentFile(int k);

    /// Marks the next load as requested on the command line: a 1.1 file's note is not shown then.
    void setCommandLineLoad(bool on) { m_commandLineLoad = on; }
    /// Details of the last file that could not be loaded or saved, for diagnostics on the console.
    const std::string& lastProblem() const { return m_lastProblem; }
    /// True when that file could not be opened at all (missing, unreadable, not a regular file).
    bool lastFileUnopened() const { return m_lastUnopened; }

private:
    void resetAfterFailedLoad();
    void showInvalidFile(const std::string& path);

    Configuration& m_config;
    ConfigFileAccess& m_files;
    UserPrompts& m_prompts;
    FileDialogs& m_dialogs;
    RecentFiles& m_recent;
    ConfigFilesListener* m_listener;
    bool m_commandLineLoad = false;
    std::string m_lastProblem;
    bool m_lastUnopened = false;
};

/// The setup window's caption: "Quorvane Setup(scale.QV3)", the name after the last '/' or '\\', with
/// no blank before it; "Quorvane Setup (Untitled)" without a name.
std::string SetupCaption(const std::string& configFileName);

/// Message shown for a file whose header is not a configuration file's.
std::string InvalidConfigFileMessage(const std::string& path);
inline constexpr std::string_view kInvalidFileTitle = "Quorvane File Error";
inline constexpr std::string_view kPreviousVersionMessage =
    "The selected configuration file was created with a previous version of Quorvane. If you save it "
    "from this version of Quorvane it will not be readable by your previous version.";
inline constexpr std::string_view kPreviousVersionTitle = "Quorvane Version 3.0";

/// Reads a whole file; nullopt when it cannot be opened or read. For tests and tools.
std::optional<std::string> ReadWholeFile(const std::string& path);
/// Creates or truncates a file and writes `bytes`; false on any error. For tests and tools: the
/// configuration itself is saved through ConfigFileAccess::replaceFile.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace quorvane
