#include "engine/output/QueuedLogOutput.h"

#include "config/ConfigLimits.h"
#include "engine/RecordAssembly.h"

#include <algorithm>

namespace quorvane {

namespace {

// One write of the backlog at most: a long outage's backlog is written over several calls.
constexpr std::size_t kBatchBytes = std::size_t{4} << 20;
// A reused text buffer that once held a huge record is given back rather than kept.
constexpr std::size_t kKeptCapacity = std::size_t{64} << 10;

} // namespace

QueuedLogOutput::QueuedLogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts,
                                 const Clock& clock, std::size_t limit)
    : m_settings(settings), m_prompts(prompts), m_clock(clock), m_append(files, settings.LogFileName),
      m_waiting(limit) {}

void QueuedLogOutput::endBatch() {
    // The records are written; a network file system may still report at close that it could
    // not keep them. Nothing waits because of it, so the note is not the outage's.
    const std::string error = m_append.end();
    if (error.empty())
        return;
    m_prompts.messageBox("File I/O Error Writing To: " + m_settings.LogFileName + "\r" + error, title(true),
                         MessageButtons::Ok, MessageIcon::Exclamation);
}

std::string QueuedLogOutput::title(bool error) const {
    return "Quorvane - " + PortName(m_settings.PortIndex) + (error ? " ERROR!" : "");
}

DeliveryOutcome QueuedLogOutput::deliverRecord(const FieldSlots& slots, int fieldCount) {
    AssembleRecordText(m_settings, slots, fieldCount, m_clock, m_text);
    if (m_waiting.empty()) {
        // A failed append has closed the file before the note below is shown.
        const AppendResult result = m_append.append(m_text);
        m_readerBusy = result.Busy;
        if (!result.ok()) {
            reportFailure(result.Error);
            // A record cut by the failure waits with its written part marked.
            if (m_waiting.push(m_text))
                m_waiting.consume(std::min(result.Written, m_text.size()));
            else
                lose();
        }
    } else if (!m_waiting.push(m_text)) {
        lose();
    }
    if (m_text.capacity() > kKeptCapacity)
        std::string().swap(m_text);
    return DeliveryOutcome::Delivered;
}

void QueuedLogOutput::lose() {
    ++m_lost;
    if (m_limitReported)
        return;
    m_limitReported = true;
    m_prompts.messageBox("The records waiting for " + m_settings.LogFileName + " have reached " +
                             std::to_string(m_waiting.limit() >> 20) +
                             " MiB: later records are lost until it can be written.",
                         title(true), MessageButtons::Ok, MessageIcon::Exclamation);
}

void QueuedLogOutput::reportFailure(const std::string& error) {
    if (m_failing)
        return;
    m_failing = true;
    m_prompts.beep();
    m_prompts.messageBox("File I/O Error Writing To: " + m_settings.LogFileName + "\r" + error +
                             "\rRecords wait in memory until it can be written.",
                         title(true), MessageButtons::Ok, MessageIcon::Exclamation);
}

bool QueuedLogOutput::writeSome() {
    const std::string batch = m_waiting.peek(kBatchBytes);
    const AppendResult result = m_append.append(batch);
    m_readerBusy = result.Busy;
    // Whole records the file took leave the queue; a record cut by the failure keeps its rest.
    m_waiting.consume(std::min(result.Written, batch.size()));
    if (!result.ok())
        reportFailure(result.Error);
    return result.ok();
}

bool QueuedLogOutput::retry() {
    if (m_waiting.empty() || !writeSome())
        return false;
    if (!m_waiting.empty())
        return true;
    std::string note = "Recovered: File I/O Error Writing To: " + m_settings.LogFileName;
    if (m_lost != 0)
        note += "\r" + std::to_string(m_lost) + " records were lost while it could not be written.";
    m_prompts.messageBox(note, title(false), MessageButtons::Ok, MessageIcon::Information);
    m_failing = false;
    m_limitReported = false;
    m_lost = 0;
    return false;
}

void QueuedLogOutput::finish() {
    while (retry()) {
    }
    if (m_waiting.empty() && m_lost == 0)
        return;
    m_prompts.messageBox(std::to_string(m_waiting.records() + m_lost) + " records could not be written to " +
                             m_settings.LogFileName + ".",
                         title(true), MessageButtons::Ok, MessageIcon::Exclamation);
    m_waiting.clear();
    m_lost = 0;
}

} // namespace quorvane
