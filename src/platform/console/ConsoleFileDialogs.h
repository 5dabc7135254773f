#pragma once
// File dialogs for runs without windows: there is nobody to ask, so every dialog is cancelled.

#include "platform/FileDialogs.h"

namespace quorvane {

class ConsoleFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

} // namespace quorvane
