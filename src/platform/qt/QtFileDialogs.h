#pragma once
// The open and save dialogs of a program with windows.

#include "platform/FileDialogs.h"

#include <QString>

#include <string_view>

class QWidget;

namespace quorvane {

/// A Windows-style filter ("Description|pattern|...") in Qt's syntax ("Description;;..."). The
/// pattern "*.*" becomes "*": on Linux a file name need not have a dot.
QString QtFileFilter(std::string_view filter);

/// QFileDialog over the active window. An open dialog whose file need not exist accepts any name in
/// an existing folder; the save dialog asks before replacing a file.
class QtFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
};

} // namespace quorvane
