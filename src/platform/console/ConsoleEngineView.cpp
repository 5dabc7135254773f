#include "platform/console/ConsoleEngineView.h"

#include <unistd.h>

#include "config/CodePage.h"
#include "config/ConfigDump.h"

namespace quorvane {

void ConsoleEngineView::setCaption(std::string_view caption) {
    if (caption == m_lastCaption)
        return;
    m_lastCaption = caption;
    std::fprintf(m_status, "%s\n", BytesToUtf8(caption).c_str());
}

void ConsoleEngineView::setRecordNumber(std::string_view text) {
    // The record number changes once per delivered record, after its fields; a reset empties it.
    if (text.empty() || m_quiet)
        return;
    std::string line = "#";
    line.append(text).append("  ");
    bool first = true;
    for (const auto& [field, value] : m_fields) {
        if (!first)
            line += " | ";
        line += EscapeBytes(value);
        first = false;
    }
    line += '\n';
    const std::uint64_t dropped = m_records.write(BytesToUtf8(line));
    if (dropped != 0)
        std::fprintf(m_status, "quorvane: %llu record lines were not shown: standard output was not ready\n",
                     static_cast<unsigned long long>(dropped));
}

void ConsoleEngineView::messageBeep(std::uint32_t) {
    if (isatty(fileno(m_status)) != 0)
        std::fputc('\a', m_status);
}

void ConsoleEngineView::flush() {
    std::fflush(m_status);
}

} // namespace quorvane
