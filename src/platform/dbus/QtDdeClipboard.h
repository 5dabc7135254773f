#pragma once
// The Qt clipboard with the DDE link format beside the plain text.

#include "platform/Clipboard.h"

namespace quorvane {

/// The MIME type of a DDE link on the clipboard: "application|topic!item".
inline constexpr std::string_view kDdeLinkMimeType = "application/x-dde-link";

/// Clipboard over QClipboard; needs a QGuiApplication.
class QtDdeClipboard final : public Clipboard {
public:
    void setLink(std::string_view link, std::string_view text) override;
    std::optional<std::string> link() const override;
    bool hasText() const override;
};

} // namespace quorvane
