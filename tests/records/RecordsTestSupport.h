#pragma once
// Completed records as the engine hands them to observers, built from field texts.

#include "engine/RecordObserver.h"

#include <string>
#include <vector>

namespace quorvane::test {

/// Builds records one after the other: sequence and record number count from 1, and each record
/// completes `stepMs` after the one before.
struct RecordFeed {
    explicit RecordFeed(std::int64_t startMs = 1'765'200'000'000, std::int64_t stepMs = 100)
        : NextMs(startMs), StepMs(stepMs) {}

    /// The next record holding these field texts; valid until the next call.
    CompletedRecord next(const std::vector<std::string>& fields) {
        Slots = InitialFieldSlots();
        for (std::size_t i = 0; i < fields.size(); ++i)
            Slots[i + 1] = fields[i];
        ++Sequence;
        const std::int64_t ms = NextMs;
        NextMs += StepMs;
        const LocalDateTime local{
            2026, 12, 8, 14, 5, static_cast<int>(Sequence % 60), static_cast<int>(ms % 1000)};
        return CompletedRecord{Sequence, Sequence, ms, local, "COM1", Slots, static_cast<int>(fields.size())};
    }

    FieldSlots Slots = InitialFieldSlots();
    std::int64_t Sequence = 0;
    std::int64_t NextMs;
    std::int64_t StepMs;
};

} // namespace quorvane::test
