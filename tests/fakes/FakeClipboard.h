#pragma once
// A clipboard in memory.

#include "platform/Clipboard.h"

namespace quorvane::test {

class FakeClipboard final : public Clipboard {
public:
    void setLink(std::string_view link, std::string_view text) override {
        Link = std::string(link);
        Text = std::string(text);
    }
    std::optional<std::string> link() const override { return Link; }
    bool hasText() const override { return Text.has_value(); }

    std::optional<std::string> Link;
    std::optional<std::string> Text;
};

} // namespace quorvane::test
