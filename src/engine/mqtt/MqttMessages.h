#pragma once
// What the publisher sends and reads: the topics of one instrument and the JSON of records,
// presence, field values, discovery and command answers.

#include "engine/RecordObserver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// The details of one run that every message names.
struct MqttRunInfo {
    /// Unique per run: a new one each time the program starts.
    std::string Run;
    std::string Host;
    std::string Instrument;
    /// The device path of the port.
    std::string Device;
    std::string Version;
    /// When the run started, milliseconds since 1970 UTC.
    std::int64_t StartedUnixMs = 0;
};

/// The topics of one instrument: <prefix>/<host>/<instrument>/...
struct MqttTopics {
    MqttTopics(std::string_view prefix, std::string_view host, std::string_view instrument);
    std::string Base;
    std::string Record;
    std::string Status;
    std::string Command;
    std::string CommandResult;
    /// .../field/<n>
    std::string field(int n) const;
};

/// A topic level made of any text: "/", "+", "#" and control characters become "_".
std::string TopicLevel(std::string_view text);

/// Milliseconds since 1970 UTC as ISO-8601 UTC with milliseconds, "2026-12-07T14:05:09.000Z".
std::string IsoUtc(std::int64_t unixMs);

/// A run id from the start time and a random number: hex, sortable by start time.
std::string MakeRunId(std::int64_t unixMs, std::uint64_t random);

/// The record message: ts, seq, run, host, instrument, port, device, fields, values, and `text`, the
/// assembled record text. Texts are code-page bytes; the JSON holds them as UTF-8.
std::string RecordPayload(const CompletedRecord& record, const MqttRunInfo& run, std::string_view text);

/// The retained presence message: {"status":"online"|"offline", and the run's details}.
std::string StatusPayload(bool online, const MqttRunInfo& run);

/// A field's value for its retained topic: the text as UTF-8.
std::string FieldPayload(std::string_view fieldText);

/// Home Assistant discovery of field n as a sensor reading the record topic; its config topic and
/// payload.
struct DiscoveryMessage {
    std::string Topic;
    std::string Payload;
};
DiscoveryMessage FieldDiscovery(std::string_view discoveryPrefix, const MqttTopics& topics,
                                const MqttRunInfo& run, int field);

/// A command request: the command text (code-page bytes) and the id to answer with.
struct MqttCommandRequest {
    std::string Command;
    /// The request's "id" as JSON (a string or a number), empty when it had none.
    std::string IdJson;
};
/// Reads a request: a JSON object {"command": "...", "id": ...}, or any other payload as the command
/// text itself.
MqttCommandRequest ParseCommandRequest(std::string_view payload);
/// The answer: {"id": ..., "command": "...", "accepted": true|false}.
std::string CommandResultPayload(const MqttCommandRequest& request, bool accepted);

/// `text` (UTF-8) as a JSON string, quotes included.
std::string JsonString(std::string_view text);
/// The same, appended to `out`.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace quorvane
