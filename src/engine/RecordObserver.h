#pragma once
// Who else sees each completed record besides the output mode: the history and plot windows, the
// MQTT publisher. The engine calls them in the order they were added; with none added it does
// nothing more per record.

#include "expr/FieldSlots.h"
#include "expr/LocalDateTime.h"

#include <cstdint>
#include <string_view>

namespace quorvane {

/// One record as it completed: processed, shown, counted and handed to the output mode.
struct CompletedRecord {
    /// Records completed since the engine started, from 1; a reset does not restart it.
    std::int64_t Sequence = 0;
    /// The record number the runtime window shows for it (restarts after a reset).
    std::int64_t RecordNumber = 0;
    /// When the record completed: milliseconds since 1970-01-01 UTC, and the local date and time.
    std::int64_t UnixMs = 0;
    LocalDateTime Local;
    /// "COM" and the port number.
    std::string_view PortName;
    /// Fields 1..FieldCount of Slots hold the processed field texts (bytes of the code page).
    const FieldSlots& Slots;
    int FieldCount = 0;

    /// Field i's processed text, 1..FieldCount; empty for a slot that holds no text.
    std::string_view field(int i) const;
};

/// Observes completed records. Called on the engine's thread, after the output mode's delivery and
/// before the slots are emptied; an observer must not call back into the engine.
class RecordObserver {
public:
    virtual ~RecordObserver() = default;
    virtual void recordCompleted(const CompletedRecord& record) = 0;
};

} // namespace quorvane
