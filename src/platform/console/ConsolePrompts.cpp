#include "platform/console/ConsolePrompts.h"

#include <time.h>
#include <unistd.h>

namespace quorvane {

namespace {

// Message texts use CR (or CR LF) between lines; a console wants LF.
std::string consoleText(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            text += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text += bytes[i];
        }
    }
    return text;
}

} // namespace

MessageAnswer ConsolePrompts::messageBox(std::string_view text, std::string_view title,
                                         MessageButtons buttons, MessageIcon) {
    const std::string line = consoleText(title) + ": " + consoleText(text);
    if (buttons == MessageButtons::RetryCancel) {
        if (stopRequested()) {
            m_retrying.clear();
            return MessageAnswer::Cancel;
        }
        if (line != m_retrying) {
            std::fprintf(m_out, "%s\n(retrying once a second)\n", line.c_str());
            std::fflush(m_out);
            m_retrying = line;
        }
        if (m_pause) {
            m_pause(1000);
        } else {
            timespec second{1, 0};
            nanosleep(&second, nullptr); // a signal ends the wait early; the next question sees the stop
        }
        return stopRequested() ? MessageAnswer::Cancel : MessageAnswer::Retry;
    }
    std::fprintf(m_out, "%s\n", line.c_str());
    std::fflush(m_out);
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::No;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    }
    return MessageAnswer::Ok;
}

std::optional<std::string> ConsolePrompts::inputBox(std::string_view prompt, std::string_view title,
                                                    std::string_view) {
    std::fprintf(m_out, "%s: %s (no answer without a window)\n", consoleText(title).c_str(),
                 consoleText(prompt).c_str());
    return std::nullopt;
}

void ConsolePrompts::reportRecovery() {
    if (m_retrying.empty())
        return;
    std::fprintf(m_out, "Recovered: %s\n", m_retrying.c_str());
    std::fflush(m_out);
    m_retrying.clear();
}

void ConsolePrompts::beep() {
    if (isatty(fileno(m_out)) != 0) {
        std::fputc('\a', m_out);
        std::fflush(m_out);
    }
}

} // namespace quorvane
