#pragma once
// Log-to-disk output: each record's text appended to the log file.

#include "config/Configuration.h"
#include "engine/RecordDelivery.h"
#include "platform/Clock.h"
#include "platform/FileAccess.h"
#include "platform/UserPrompts.h"

#include <string>

namespace quorvane {

/// AppendToLog as a delivery: one open, write and close per record, and the Retry/Cancel question
/// when that fails.
class LogOutput final : public RecordDelivery {
public:
    LogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts, const Clock& clock);

    DeliveryOutcome deliverRecord(const FieldSlots& slots, int fieldCount) override;

    /// Appends the record text to LogFileName, asking Retry/Cancel while it fails.
    DeliveryOutcome AppendToLog(const FieldSlots& slots, int fieldCount);

private:
    const Settings& m_settings;
    FileAccess& m_files;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    std::string m_text; // reused from record to record
};

} // namespace quorvane
