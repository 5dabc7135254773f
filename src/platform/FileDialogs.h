#pragma once
// The standard open and save dialogs, as the configuration file commands use them.

#include <optional>
#include <string>

namespace quorvane {

/// What a file dialog shows and how it behaves.
struct FileDialogRequest {
    std::string Title;
    /// Windows-style filter: "Description|pattern|Description|pattern".
    std::string Filter;
    std::string InitialName;
    /// Extension added to a name typed without one, without the dot; empty for none.
    std::string DefaultExtension;
    /// Open dialogs only: the chosen file must exist.
    bool FileMustExist = false;
    /// Open dialogs only: list only files the user may execute (and folders to browse).
    bool ExecutablesOnly = false;
    /// Open dialogs only: list device files too (a serial port's /dev/ttyUSB0).
    bool Devices = false;
};

/// Open and save dialogs. Paths, the initial name and the chosen one, are the operating system's bytes
/// (UTF-8 to and from Qt), never code-page text.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    /// The chosen path, or nullopt when the user cancels.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    /// The chosen path, or nullopt when the user cancels. Choosing a file that exists asks, as desktop
    /// save dialogs do, whether to replace it; declining it returns to the dialog.
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
};

/// File dialogs where there is nobody to ask (no window, or an operation that never asks): every
/// dialog is cancelled.
class NoFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

} // namespace quorvane
