#include "config/RecordRules.h"

#include "config/ConfigLimits.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr std::int64_t kSaturated = 1'000'000'000;

void clearFieldLengths(Configuration& config) {
    for (int i = 1; i <= kMaxFields; ++i)
        config.FieldLength[static_cast<std::size_t>(i)] = 0;
}

template <typename T>
void storeMarkingChange(Configuration& config, T& setting, T value) {
    if (setting != value)
        config.ConfigChanged = kTrue;
    setting = value;
}

} // namespace

std::int64_t LeadingNumber(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min(value * 10 + (c - '0'), kSaturated);
    }
    return value;
}

std::optional<RefusedRecordEvents> CheckRecordEvents(const RecordEvents& events) {
    if (auto message = CheckSpecialChars(events.StartEvent, events.StartChars))
        return RefusedRecordEvents{*message, "Invalid Start of Record Event", 1};
    if (auto message = CheckSpecialChars(events.EndEvent, events.EndChars))
        return RefusedRecordEvents{*message, "Invalid End of Record Event", 2};
    return std::nullopt;
}

void StoreRecordEvents(Configuration& config, const RecordEvents& events) {
    storeMarkingChange(config, config.StartOfRecordEvent, events.StartEvent);
    storeMarkingChange(config, config.EndOfRecordEvent, events.EndEvent);
    config.StartOfRecordChars = events.StartChars;
    config.EndOfRecordChars = events.EndChars;
    if (events.EndEvent == 2) {
        config.RecordStructure = 2;
        config.FieldCount = kMaxFields;
    }
}

std::optional<std::string> StoreTimeBetweenRecords(Configuration& config, std::string_view text) {
    const std::int64_t ticks = LeadingNumber(text);
    if (auto message = CheckTimeBetweenRecords(ticks))
        return message;
    config.TimeBetweenRecords = static_cast<std::int16_t>(ticks);
    return std::nullopt;
}

void StoreRecordStructure(Configuration& config, std::int16_t structure) {
    storeMarkingChange(config, config.RecordStructure, structure);
    if (structure == 0) {
        clearFieldLengths(config);
        config.FieldCount = 1;
    } else if (structure == 2) {
        config.FieldCount = kMaxFields;
    }
}

std::optional<std::string> StoreDelimitedRecord(Configuration& config, int delimiterCode,
                                                std::string_view countText) {
    const std::int64_t count = LeadingNumber(countText);
    if (auto message = CheckDelimitedFieldCount(count))
        return message;
    storeMarkingChange(config, config.FieldDelimiter, std::string(1, static_cast<char>(delimiterCode)));
    storeMarkingChange(config, config.FieldCount, static_cast<std::int16_t>(count));
    clearFieldLengths(config);
    return std::nullopt;
}

std::optional<std::string> StoreFixedRecordLength(Configuration& config, std::string_view text) {
    const std::int64_t length = LeadingNumber(text);
    if (auto message = CheckRecordLength(length))
        return message;
    config.RecordLength = static_cast<std::int16_t>(length);
    config.FieldCount = kMaxFields;
    return std::nullopt;
}

} // namespace quorvane
