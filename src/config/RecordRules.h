#pragma once
// What the record structure dialogs store: the start and end events, the time gap, the structure,
// the delimiter and field count, and the fixed record length, with the structure rules that keep
// RecordStructure, FieldCount and FieldLength consistent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The number a digit box holds: its leading digits (0 when none); saturates far above any limit.
std::int64_t LeadingNumber(std::string_view text);

/// The choices of the start-and-end-of-record dialog.
struct RecordEvents {
    std::int16_t StartEvent = 0;
    std::string StartChars;
    std::int16_t EndEvent = 0;
    std::string EndChars;
};

/// A refused input: the message, its title, and which entry box gets the focus (1 start, 2 end).
struct RefusedRecordEvents {
    std::string Message;
    std::string Title;
    int Box = 1;
};

/// Special start or end characters must be given when their event is 3.
std::optional<RefusedRecordEvents> CheckRecordEvents(const RecordEvents& events);

/// Stores the events and their characters (ConfigChanged for each event that changes). An end event
/// of 2 (fixed byte count) makes the record fixed-length with 40 fields until the fields are defined.
void StoreRecordEvents(Configuration& config, const RecordEvents& events);

/// Stores TimeBetweenRecords from the digit box; the message when it is outside 1..255.
std::optional<std::string> StoreTimeBetweenRecords(Configuration& config, std::string_view text);

/// Stores RecordStructure (ConfigChanged when it changes). A single field has FieldCount 1 and no
/// lengths; fixed-length fields start as 40 until the field editor counts them.
void StoreRecordStructure(Configuration& config, std::int16_t structure);

/// Stores the delimiter (by code) and the field count from the digit box and clears every
/// FieldLength; the message when the count is outside 2..40.
std::optional<std::string> StoreDelimitedRecord(Configuration& config, int delimiterCode,
                                                std::string_view countText);

/// Stores RecordLength from the digit box and sets FieldCount to 40; the message when the length
/// is outside 1..32766.
std::optional<std::string> StoreFixedRecordLength(Configuration& config, std::string_view text);

} // namespace quorvane
