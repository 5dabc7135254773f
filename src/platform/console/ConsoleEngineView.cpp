#include "platform/console/ConsoleEngineView.h"

#include <unistd.h>

#include "config/CodePage.h"
#include "config/ConfigDump.h"

namespace quorvane {

namespace {

// Held record lines are written out early once they reach this size.
constexpr std::size_t kHeldBytes = 16384;
// Past the last field the engine has, as a guard against a stray number growing the table.
constexpr int kMaxShownField = 1024;

} // namespace

void ConsoleEngineView::setCaption(std::string_view caption) {
    if (caption == m_lastCaption)
        return;
    m_lastCaption = caption;
    std::fprintf(m_status, "%s\n", BytesToUtf8(caption).c_str());
}

void ConsoleEngineView::setFieldText(int field, std::string_view text) {
    // Field numbers come from the configuration (1 to 40); anything else has no box to show.
    if (m_quiet || field < 0 || field > kMaxShownField)
        return;
    const auto index = static_cast<std::size_t>(field);
    if (index >= m_fields.size())
        m_fields.resize(index + 1);
    if (m_fields[index])
        m_fields[index]->assign(text);
    else
        m_fields[index].emplace(text);
}

void ConsoleEngineView::setRecordNumber(std::string_view text) {
    // The record number changes once per delivered record, after its fields; a reset empties it.
    if (text.empty() || m_quiet)
        return;
    // The escapes leave only ASCII, which is the same in the code page and in UTF-8.
    m_held += '#';
    m_held += text; // digits
    m_held += "  ";
    bool first = true;
    for (const std::optional<std::string>& value : m_fields) {
        if (!value)
            continue;
        if (!first)
            m_held += " | ";
        AppendEscapedBytes(m_held, *value);
        first = false;
    }
    m_held += '\n';
    ++m_heldLines;
    if (m_held.size() >= kHeldBytes)
        writeHeldLines();
}

void ConsoleEngineView::writeHeldLines() {
    if (m_heldLines == 0)
        return;
    const std::uint64_t dropped = m_records.write(m_held, m_heldLines);
    m_held.clear();
    m_heldLines = 0;
    if (dropped != 0)
        std::fprintf(m_status, "quorvane: %llu record lines were not shown: standard output was not ready\n",
                     static_cast<unsigned long long>(dropped));
    if (m_records.readerGone() && !m_goneReported) {
        m_goneReported = true;
        std::fprintf(m_status, "quorvane: standard output was closed: record lines are no longer shown\n");
    }
}

void ConsoleEngineView::reportUnshownLines() {
    writeHeldLines();
    if (const std::uint64_t dropped = m_records.takeUnreported(); dropped != 0)
        std::fprintf(m_status, "quorvane: %llu record lines were not shown: standard output %s\n",
                     static_cast<unsigned long long>(dropped),
                     m_records.readerGone() ? "was closed" : "was not ready");
    std::fflush(m_status);
}

void ConsoleEngineView::messageBeep(std::uint32_t) {
    if (isatty(fileno(m_status)) != 0)
        std::fputc('\a', m_status);
}

void ConsoleEngineView::flush() {
    writeHeldLines();
    std::fflush(m_status);
}

} // namespace quorvane
