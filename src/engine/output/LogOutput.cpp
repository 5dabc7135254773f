#include "engine/output/LogOutput.h"

#include "config/ConfigLimits.h"
#include "engine/RecordAssembly.h"

namespace quorvane {

LogOutput::LogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts, const Clock& clock)
    : m_settings(settings), m_prompts(prompts), m_clock(clock), m_append(files, settings.LogFileName) {}

void LogOutput::endBatch() {
    // The records are written; a network file system may still report at close that it could
    // not keep them, and there is no single record left to retry.
    const std::string error = m_append.end();
    if (error.empty())
        return;
    m_prompts.beep();
    m_prompts.messageBox("File I/O Error Writing To: " + m_settings.LogFileName + "\r" + error,
                         "Quorvane - " + PortName(m_settings.PortIndex) + " ERROR!", MessageButtons::Ok,
                         MessageIcon::Exclamation);
}

DeliveryOutcome LogOutput::deliverRecord(const FieldSlots& slots, int fieldCount) {
    const DeliveryOutcome outcome = AppendToLog(slots, fieldCount);
    // The text buffer is reused from record to record, but not at the size of a rare huge record.
    if (m_text.capacity() > (std::size_t{64} << 10))
        std::string().swap(m_text);
    return outcome;
}

DeliveryOutcome LogOutput::AppendToLog(const FieldSlots& slots, int fieldCount) {
    AssembleRecordText(m_settings, slots, fieldCount, m_clock, m_text);
    std::string_view pending = m_text;
    for (;;) {
        // A failed append has closed the file, so the question finds it closed.
        const AppendResult result = m_append.append(pending);
        // A retry writes only what has not reached the file yet, so a write that failed half way
        // does not put the first half in the log twice.
        pending.remove_prefix(std::min(result.Written, pending.size()));
        if (result.ok())
            return DeliveryOutcome::Delivered;
        m_prompts.beep();
        const std::string title = "Quorvane - " + PortName(m_settings.PortIndex) + " ERROR!";
        const std::string text = "File I/O Error Writing To: " + m_settings.LogFileName + "\r" + result.Error;
        if (m_prompts.messageBox(text, title, MessageButtons::RetryCancel, MessageIcon::Exclamation) !=
            MessageAnswer::Retry)
            return DeliveryOutcome::Abandoned;
    }
}

} // namespace quorvane
