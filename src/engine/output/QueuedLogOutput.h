#pragma once
// Log-to-disk delivery for a run nobody can answer: the log file's outages never stop capture.

#include "config/Configuration.h"
#include "engine/RecordDelivery.h"
#include "engine/output/LogFileAppend.h"
#include "engine/output/LogBacklog.h"
#include "platform/Clock.h"
#include "platform/FileAccess.h"
#include "platform/UserPrompts.h"

#include <cstdint>
#include <string>

namespace quorvane {

/// Appends each record's text to LogFileName like LogOutput (the file opened once for the records of
/// one read of the port), but asks no question when that fails:
/// the record waits in memory, later records wait behind it in order (up to `limit` bytes of memory,
/// their bookkeeping included; beyond that they are lost and counted), and the host retries. The failure,
/// reaching the limit and the recovery are each reported once per outage as notes.
class QueuedLogOutput final : public RecordDelivery {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t{64} << 20;

    QueuedLogOutput(const Settings& settings, FileAccess& files, UserPrompts& prompts, const Clock& clock,
                    std::size_t limit = kDefaultLimit);

    DeliveryOutcome deliverRecord(const FieldSlots& slots, int fieldCount) override;
    void beginBatch() override { m_append.begin(); }
    void endBatch() override;

    /// Writes waiting records, a few MiB at most per call so the host stays responsive. True when
    /// records still wait although the log took the last write (call again at once); false when
    /// nothing waits or the log still fails (try again later).
    bool retry();
    /// The end of the run: writes what waits if the log can take it, else reports how many records
    /// are lost.
    void finish();
    /// Records waiting for the log.
    std::size_t waitingRecords() const { return m_waiting.records(); }
    /// Memory the waiting records hold, an upper bound.
    std::size_t waitingBytes() const { return m_waiting.heldBytes(); }
    /// True when the log is a pipe whose reader did not keep up: worth trying again soon.
    bool readerBusy() const { return m_readerBusy; }

private:
    bool writeSome();
    void reportFailure(const std::string& error);
    void lose();
    std::string title(bool error) const;

    const Settings& m_settings;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    std::string m_text;
    LogFileAppend m_append;
    LogBacklog m_waiting;
    std::uint64_t m_lost = 0;
    bool m_failing = false;
    bool m_limitReported = false;
    bool m_readerBusy = false;
};

} // namespace quorvane
