#pragma once
// Prompts for runs without windows: messages go to standard error, answers follow a fixed policy.

#include <csignal>
#include <cstdio>
#include <functional>

#include "platform/UserPrompts.h"

namespace quorvane {

/// Writes "title: text" to a stream (standard error by default) and answers without asking:
/// OK for notes, No for yes/no questions (nothing is saved unasked), Abort for abort/retry/ignore,
/// Cancel for input prompts. A retry question (a log file that cannot be written) is reported once,
/// then answered Retry once a second until the operation succeeds, which is reported once too, or
/// until a stop is requested, which answers Cancel.
class ConsolePrompts final : public UserPrompts {
public:
    explicit ConsolePrompts(std::FILE* out = stderr) : m_out(out) {}

    /// The flag a signal handler sets to stop the program; a waiting retry then gives up.
    void setStopFlag(const volatile std::sig_atomic_t* stop) { m_stop = stop; }
    /// How a retry waits; the default sleeps for the given milliseconds.
    void setRetryPause(std::function<void(int)> pause) { m_pause = std::move(pause); }
    /// Called by the host between ticks: a retry question that stopped coming means the retried
    /// operation succeeded, which is reported once.
    void reportRecovery();

    MessageAnswer messageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initial) override;
    void beep() override;

private:
    bool stopRequested() const { return m_stop != nullptr && *m_stop != 0; }

    std::FILE* m_out;
    const volatile std::sig_atomic_t* m_stop = nullptr;
    std::function<void(int)> m_pause;
    std::string m_retrying; // the retry question being answered, empty when none
};

} // namespace quorvane
