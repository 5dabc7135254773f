#include "config/ConfigFiles.h"

#include <cstdio>
#include <memory>

#include "config/CodePage.h"

namespace quorvane {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

const char* const kOpenFilter =
    "Quorvane Config (*.QV3)|*.QV3|Quorvane 1.x Config (*.QV1)|*.QV1|All Files (*.*)|*.*";
const char* const kSaveFilter = "Quorvane Config (*.QV3)|*.QV3|All Files (*.*)|*.*";

// The header and the first number fit in this many bytes; validation reads no further.
constexpr std::size_t kValidationBytes = 4096;

} // namespace

std::string SetupCaption(const std::string& configFileName) {
    if (configFileName.empty())
        return "Quorvane Setup (Untitled)";
    const std::size_t slash = configFileName.find_last_of("/\\");
    return "Quorvane Setup(" + configFileName.substr(slash == std::string::npos ? 0 : slash + 1) + ")";
}

std::string InvalidConfigFileMessage(const std::string& path) {
    return "File: " + path + " is not a valid configuration file.";
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (n < sizeof buffer)
            break;
    }
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), raw) == bytes.size();
    const bool flushed = std::fflush(raw) == 0;
    const bool closed = std::fclose(raw) == 0;
    return written && flushed && closed;
}

ConfigFiles::ConfigFiles(Configuration& config, ConfigFileAccess& files, UserPrompts& prompts,
                         FileDialogs& dialogs, RecentFiles& recent, ConfigFilesListener* listener)
    : m_config(config), m_files(files), m_prompts(prompts), m_dialogs(dialogs), m_recent(recent),
      m_listener(listener) {}

bool ConfigFiles::WriteConfigFile() {
    m_lastProblem.clear();
    m_lastUnopened = false;
    if (m_config.ConfigFileName.empty())
        return false;
    m_lastProblem = m_files.replaceFile(m_config.ConfigFileName, EncodeConfigFile(m_config));
    if (!m_lastProblem.empty()) {
        m_prompts.beep();
        m_prompts.messageBox("File I/O Error", kProgramTitle, MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    return true;
}

void ConfigFiles::showInvalidFile(const std::string& path) {
    m_prompts.messageBox(InvalidConfigFileMessage(path), kInvalidFileTitle, MessageButtons::Ok,
                         MessageIcon::Question);
}

std::int16_t ConfigFiles::ValidateConfigFile(const std::string& path) {
    m_lastProblem.clear();
    m_lastUnopened = false;
    if (path.empty())
        return -2;
    const FileHead head = m_files.readHead(path, kValidationBytes);
    if (!head.ok()) {
        m_lastProblem = head.Error;
        m_lastUnopened = true;
        return -1;
    }
    if (head.Size == 0) {
        m_lastProblem = "the file is empty";
        return -1;
    }
    if (head.Size > kMaxConfigFileBytes) {
        m_lastProblem = "larger than 1 MB; a configuration file is well under that size";
        m_prompts.messageBox(InvalidConfigFileMessage(path) +
                                 "\rA configuration file is well under 1 MB; this "
                                 "file is larger.",
                             kInvalidFileTitle, MessageButtons::Ok, MessageIcon::Question);
        return -1;
    }
    auto port = PeekPortIndex(head.Bytes);
    // A readable header over an unreadable or negative port number is a damaged file, not a port.
    if (!port || *port < 0) {
        m_lastProblem = DetectLayout(head.Bytes) != ConfigLayout::None ? "line 2: port number expected"
                                                                       : HeaderProblem(head.Bytes);
        showInvalidFile(path);
        return -1;
    }
    return *port;
}

void ConfigFiles::resetAfterFailedLoad() {
    m_config.ConfigFileName.clear();
    ResetConfiguration(m_config);
    if (m_listener != nullptr)
        m_listener->configurationReset();
}

bool ConfigFiles::ReadConfigFile() {
    const bool commandLine = m_commandLineLoad;
    const FileHead file = m_files.readHead(m_config.ConfigFileName, kMaxConfigFileBytes);
    if (!file.ok() || file.Size > kMaxConfigFileBytes) {
        m_lastProblem = file.ok() ? "larger than 1 MB" : file.Error;
        m_lastUnopened = !file.ok();
        resetAfterFailedLoad();
        return false;
    }
    const ConfigDecodeResult result = DecodeConfigFile(file.Bytes, m_config);
    if (!result.ok()) {
        m_lastProblem = result.Problem;
        showInvalidFile(m_config.ConfigFileName);
        resetAfterFailedLoad();
        return false;
    }
    m_config.ConfigLoaded = kTrue;
    m_config.ConfigChanged = kFalse;
    if (result.Layout == ConfigLayout::V1_1) {
        if (result.Note && !commandLine)
            m_prompts.messageBox(BytesToUtf8(*result.Note), kProgramTitle, MessageButtons::Ok,
                                 MessageIcon::None);
        m_commandLineLoad = false;
    }
    if (result.Layout == ConfigLayout::V1_1 || result.Layout == ConfigLayout::V2_00) {
        m_prompts.beep();
        m_prompts.messageBox(kPreviousVersionMessage, kPreviousVersionTitle, MessageButtons::Ok,
                             MessageIcon::None);
        m_config.ConfigChanged = kTrue;
    }
    return true;
}

void ConfigFiles::LoadConfiguration() {
    m_prompts.setWaitCursor(true);
    if (ValidateConfigFile(m_config.ConfigFileName) < 0)
        resetAfterFailedLoad();
    else
        ReadConfigFile();
    if (m_listener != nullptr)
        m_listener->captionChanged();
    m_prompts.setWaitCursor(false);
}

void ConfigFiles::PromptSaveChanges() {
    m_config.PromptCancelled = kFalse;
    if (!isSet(m_config.ConfigChanged))
        return;
    const std::string question = isSet(m_config.ConfigLoaded)
                                     ? "File " + m_config.ConfigFileName + " has changed. Save?"
                                     : std::string("Save Current Configuration?");
    switch (
        m_prompts.messageBox(question, kProgramTitle, MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageAnswer::Yes:
        FileSave();
        // A save that failed (or whose dialog was cancelled) must not let the caller discard the
        // changes it was asked to keep.
        if (isSet(m_config.ConfigChanged))
            m_config.PromptCancelled = kTrue;
        break;
    case MessageAnswer::Cancel:
        m_config.PromptCancelled = kTrue;
        break;
    default:
        break;
    }
}

void ConfigFiles::FileNew() {
    PromptSaveChanges();
    if (isSet(m_config.PromptCancelled))
        return;
    m_config.ConfigFileName.clear();
    LoadConfiguration();
}

void ConfigFiles::FileLoad() {
    PromptSaveChanges();
    if (isSet(m_config.PromptCancelled))
        return;
    FileDialogRequest request;
    request.Title = "Open Quorvane Configuration...";
    request.Filter = kOpenFilter;
    request.InitialName = m_config.ConfigFileName;
    request.FileMustExist = true;
    auto chosen = m_dialogs.openFileName(request);
    if (!chosen)
        return;
    m_config.ConfigFileName = *chosen;
    m_recent.AddRecentFile(*chosen);
    if (!m_config.ConfigFileName.empty())
        LoadConfiguration();
}

void ConfigFiles::FileSave() {
    if (m_config.ConfigFileName.empty()) {
        FileSaveAs();
        return;
    }
    if (WriteConfigFile())
        m_config.ConfigChanged = kFalse;
}

void ConfigFiles::FileSaveAs() {
    FileDialogRequest request;
    request.Title = "Save Quorvane Configuration As...";
    request.Filter = kSaveFilter;
    request.InitialName = m_config.ConfigFileName;
    request.DefaultExtension = "QV3";
    auto chosen = m_dialogs.saveFileName(request);
    if (!chosen) {
        m_config.PromptCancelled = kTrue;
        return;
    }
    m_config.ConfigFileName = *chosen;
    if (!WriteConfigFile())
        return;
    m_config.ConfigLoaded = kTrue;
    m_config.ConfigChanged = kFalse;
    if (m_listener != nullptr)
        m_listener->captionChanged();
    m_recent.AddRecentFile(*chosen);
}

void ConfigFiles::OpenRecentFile(int k) {
    PromptSaveChanges();
    if (isSet(m_config.PromptCancelled))
        return;
    m_config.ConfigFileName = m_recent.caption(k);
    m_recent.moveToTop(k);
    if (!m_config.ConfigFileName.empty())
        LoadConfiguration();
}

} // namespace quorvane
