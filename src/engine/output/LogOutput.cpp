#include "engine/output/LogOutput.h"

#include "config/ConfigLimits.h"
#include "engine/RecordAssembly.h"

namespace quorvane {

LogOutput::LogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts, const Clock& clock)
    : m_settings(settings), m_files(files), m_prompts(prompts), m_clock(clock) {}

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
        const AppendResult result = m_files.appendToFile(m_settings.LogFileName, pending);
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
