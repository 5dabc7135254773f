#pragma once
// The record history: the last N completed records with the time each completed, for the history
// window and its export. Plain data; the window shows it.

#include "engine/RecordObserver.h"
#include "records/Ring.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

/// One kept record.
struct HistoryRow {
    std::int64_t Sequence = 0;
    std::int64_t RecordNumber = 0;
    LocalDateTime Local;
    /// Fields 1..n as processed, bytes of the code page (index 0 is field 1).
    std::vector<std::string> Fields;
};

/// The last `capacity` records, oldest first. Memory is bounded by the capacity.
class RecordHistory {
public:
    static constexpr std::size_t kDefaultCapacity = 10'000;
    static constexpr std::size_t kMinCapacity = 10;
    static constexpr std::size_t kMaxCapacity = 1'000'000;

    explicit RecordHistory(std::size_t capacity = kDefaultCapacity);

    /// Keeps a completed record, dropping the oldest when full.
    void add(const CompletedRecord& record);
    /// Changes the bound (clamped to kMinCapacity..kMaxCapacity); the newest records stay.
    void setCapacity(std::size_t capacity);

    std::size_t size() const { return m_rows.size(); }
    std::size_t capacity() const { return m_rows.capacity(); }
    /// The i-th oldest kept record.
    const HistoryRow& row(std::size_t i) const { return m_rows[i]; }
    /// Records added in all, kept or not; added() - size() have been dropped from the front.
    std::uint64_t added() const { return m_rows.pushed(); }
    /// The most fields a record has had since the history began.
    int widestRecord() const { return m_widest; }

private:
    Ring<HistoryRow> m_rows;
    int m_widest = 0;
};

/// The bound read from the per-user text: the default when unreadable, else clamped.
std::size_t HistoryCapacityFromText(std::string_view text);

/// "2026-12-08 14:05:09.042": the completion time as the history shows and exports it.
std::string HistoryTimeText(const LocalDateTime& time);

} // namespace quorvane
