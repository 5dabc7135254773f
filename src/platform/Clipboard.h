#pragma once
// The clipboard as the DDE links use it: a link "application|topic!item" beside plain text.

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// The system clipboard. Texts are byte strings in the program's code page.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    /// Replaces the clipboard's content by a DDE link and the plain text beside it.
    virtual void setLink(std::string_view link, std::string_view text) = 0;
    /// The DDE link on the clipboard, or nullopt when it holds none.
    virtual std::optional<std::string> link() const = 0;
    /// True when the clipboard holds plain text.
    virtual bool hasText() const = 0;
};

/// The clipboard of a run without a display: copies are accepted and vanish; nothing can be pasted.
class NoClipboard final : public Clipboard {
public:
    void setLink(std::string_view, std::string_view) override {}
    std::optional<std::string> link() const override { return std::nullopt; }
    bool hasText() const override { return false; }
};

} // namespace quorvane
