#pragma once
// Prompts for runs without windows: messages go to standard error, answers follow a fixed policy.

#include <cstdio>

#include "platform/UserPrompts.h"

namespace quorvane {

/// Writes "title: text" to a stream (standard error by default) and answers without asking:
/// OK for notes, No for yes/no questions (nothing is saved unasked), Cancel for retry questions
/// (callers that retry pace themselves), Abort for abort/retry/ignore, Cancel for input prompts.
class ConsolePrompts final : public UserPrompts {
public:
    explicit ConsolePrompts(std::FILE* out = stderr) : m_out(out) {}

    MessageAnswer messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initial) override;
    void beep() override;

private:
    std::FILE* m_out;
};

} // namespace quorvane
