#pragma once
// Log-to-disk output: each record's text appended to the log file.

#include "config/Configuration.h"
#include "engine/RecordDelivery.h"
#include "engine/output/LogFileAppend.h"
#include "platform/Clock.h"
#include "platform/FileAccess.h"
#include "platform/UserPrompts.h"

#include <string>

namespace quorvane {

/// AppendToLog as a delivery: one write per record, the file opened once for the records of one
/// read of the port (else per record), and the Retry/Cancel question when a write fails.
class LogOutput final : public RecordDelivery {
public:
    LogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts, const Clock& clock);

    DeliveryOutcome deliverRecord(const FieldSlots& slots, int fieldCount) override;
    void beginBatch() override { m_append.begin(); }
    void endBatch() override;

    /// Appends the record text to LogFileName, asking Retry/Cancel while it fails.
    DeliveryOutcome AppendToLog(const FieldSlots& slots, int fieldCount);

private:
    const Settings& m_settings;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    std::string m_text; // reused from record to record
    LogFileAppend m_append;
};

} // namespace quorvane
