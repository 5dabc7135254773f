#include "records/RecordHistory.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace quorvane {

RecordHistory::RecordHistory(std::size_t capacity)
    : m_rows(std::clamp(capacity, kMinCapacity, kMaxCapacity)) {}

void RecordHistory::add(const CompletedRecord& record) {
    HistoryRow row{record.Sequence, record.RecordNumber, record.Local, {}};
    const int count = std::max(record.FieldCount, 0);
    row.Fields.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i)
        row.Fields.emplace_back(record.field(i));
    m_rows.push(std::move(row));
    m_widest = std::max(m_widest, count);
}

void RecordHistory::setCapacity(std::size_t capacity) {
    m_rows.setCapacity(std::clamp(capacity, kMinCapacity, kMaxCapacity));
}

std::size_t HistoryCapacityFromText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size())
        return RecordHistory::kDefaultCapacity;
    if (error == std::errc::result_out_of_range || value > RecordHistory::kMaxCapacity)
        return RecordHistory::kMaxCapacity;
    return std::max<std::size_t>(static_cast<std::size_t>(value), RecordHistory::kMinCapacity);
}

std::string HistoryTimeText(const LocalDateTime& time) {
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.Year, time.Month, time.Day,
                  time.Hour, time.Minute, time.Second, time.Millisecond);
    return text;
}

} // namespace quorvane
