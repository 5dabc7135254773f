#include "engine/mqtt/MqttMessages.h"

#include "config/CodePage.h"
#include "expr/ValRule.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace quorvane {

namespace {

void appendNumber(std::string& out, double value) {
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

// Days since 1970-01-01 to the civil date (proleptic Gregorian), after Howard Hinnant's algorithm.
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// A small reader for the one JSON object a command request is.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void blanks() {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool take(char c) {
        blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool atEnd() {
        blanks();
        return m_at == m_text.size();
    }
    char peek() {
        blanks();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }
    std::optional<std::string> string() {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_at++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                unsigned code = 0;
                if (m_at + 4 > m_text.size() ||
                    std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, code, 16).ptr !=
                        m_text.data() + m_at + 4)
                    return std::nullopt;
                m_at += 4;
                appendUtf8(out, code);
                break;
            }
            default:
                out += e;
                break;
            }
        }
        return std::nullopt;
    }
    // Any value, as its JSON text.
    std::optional<std::string> value() {
        blanks();
        const std::size_t start = m_at;
        const char c = peek();
        if (c == '"') {
            if (!string())
                return std::nullopt;
        } else if (c == '{' || c == '[') {
            int depth = 0;
            bool inString = false;
            for (; m_at < m_text.size(); ++m_at) {
                const char d = m_text[m_at];
                if (inString) {
                    if (d == '\\')
                        ++m_at;
                    else if (d == '"')
                        inString = false;
                } else if (d == '"') {
                    inString = true;
                } else if (d == '{' || d == '[') {
                    ++depth;
                } else if ((d == '}' || d == ']') && --depth == 0) {
                    ++m_at;
                    break;
                }
            }
            if (depth != 0)
                return std::nullopt;
        } else {
            while (m_at < m_text.size() && m_text[m_at] != ',' && m_text[m_at] != '}' &&
                   !isBlank(m_text[m_at]) && m_text[m_at] != '\r')
                ++m_at;
            if (m_at == start)
                return std::nullopt;
        }
        return std::string(m_text.substr(start, m_at - start));
    }

private:
    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

std::optional<MqttCommandRequest> parseJsonRequest(std::string_view payload) {
    JsonReader in(payload);
    if (!in.take('{'))
        return std::nullopt;
    MqttCommandRequest request;
    bool hasCommand = false;
    if (!in.take('}')) {
        do {
            const auto key = in.string();
            if (!key || !in.take(':'))
                return std::nullopt;
            if (*key == "command") {
                const auto command = in.string();
                if (!command)
                    return std::nullopt;
                request.Command = Utf8ToBytes(*command);
                hasCommand = true;
            } else if (*key == "id" && in.peek() == '"') {
                const auto id = in.string();
                if (!id)
                    return std::nullopt;
                request.IdJson = JsonString(*id);
            } else {
                const auto value = in.value();
                if (!value)
                    return std::nullopt;
                // A number is answered as it came; anything else cannot be an id.
                if (*key == "id" && value->find_first_not_of("+-.0123456789eE") == std::string::npos)
                    request.IdJson = *value;
            }
        } while (in.take(','));
        if (!in.take('}'))
            return std::nullopt;
    }
    if (!in.atEnd() || !hasCommand)
        return std::nullopt;
    return request;
}

} // namespace

MqttTopics::MqttTopics(std::string_view prefix, std::string_view host, std::string_view instrument)
    : Base(std::string(prefix) + "/" + TopicLevel(host) + "/" + TopicLevel(instrument)),
      Record(Base + "/record"), Status(Base + "/status"), Command(Base + "/command"),
      CommandResult(Base + "/command/result") {}

std::string MqttTopics::field(int n) const {
    return Base + "/field/" + std::to_string(n);
}

std::string TopicLevel(std::string_view text) {
    std::string level(text);
    for (char& c : level)
        if (c == '/' || c == '+' || c == '#' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    return level.empty() ? std::string("_") : level;
}

std::string IsoUtc(std::int64_t unixMs) {
    std::int64_t days = unixMs / 86400000;
    std::int64_t msOfDay = unixMs % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<long long>(year),
                  month, day, static_cast<int>(msOfDay / 3600000), static_cast<int>(msOfDay / 60000 % 60),
                  static_cast<int>(msOfDay / 1000 % 60), static_cast<int>(msOfDay % 1000));
    return text;
}

std::string MakeRunId(std::int64_t unixMs, std::uint64_t random) {
    char text[40];
    std::snprintf(text, sizeof text, "%011llx-%08llx", static_cast<unsigned long long>(unixMs),
                  static_cast<unsigned long long>(random & 0xFFFFFFFFu));
    return text;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string JsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendJsonString(out, text);
    return out;
}

// Built in place: this runs for every record.
std::string RecordPayload(const CompletedRecord& record, const MqttRunInfo& run, std::string_view text) {
    std::string out;
    out.reserve(192 + text.size() + run.Run.size() + run.Host.size() + run.Instrument.size() +
                run.Device.size());
    out += "{\"ts\":\"";
    out += IsoUtc(record.UnixMs);
    out += "\",\"seq\":";
    std::array<char, 24> digits{};
    out.append(digits.data(),
               std::to_chars(digits.data(), digits.data() + digits.size(), record.Sequence).ptr);
    out += ",\"run\":";
    AppendJsonString(out, run.Run);
    out += ",\"host\":";
    AppendJsonString(out, run.Host);
    out += ",\"instrument\":";
    AppendJsonString(out, run.Instrument);
    out += ",\"port\":";
    AppendJsonString(out, record.PortName);
    out += ",\"device\":";
    AppendJsonString(out, run.Device);
    out += ",\"fields\":[";
    for (int i = 1; i <= record.FieldCount; ++i) {
        if (i > 1)
            out += ',';
        AppendJsonString(out, BytesToUtf8(record.field(i)));
    }
    out += "],\"values\":[";
    for (int i = 1; i <= record.FieldCount; ++i) {
        if (i > 1)
            out += ',';
        if (const auto value = NumberAtStart(record.field(i)))
            appendNumber(out, *value);
        else
            out += "null";
    }
    out += "],\"record\":";
    AppendJsonString(out, BytesToUtf8(text));
    out += '}';
    return out;
}

std::string StatusPayload(bool online, const MqttRunInfo& run) {
    return std::string("{\"status\":\"") + (online ? "online" : "offline") +
           "\",\"run\":" + JsonString(run.Run) + ",\"host\":" + JsonString(run.Host) +
           ",\"instrument\":" + JsonString(run.Instrument) + ",\"device\":" + JsonString(run.Device) +
           ",\"version\":" + JsonString(run.Version) + ",\"started\":\"" + IsoUtc(run.StartedUnixMs) + "\"}";
}

std::string FieldPayload(std::string_view fieldText) {
    return BytesToUtf8(fieldText);
}

DiscoveryMessage FieldDiscovery(std::string_view discoveryPrefix, const MqttTopics& topics,
                                const MqttRunInfo& run, int field) {
    std::string node = TopicLevel(run.Host) + "_" + TopicLevel(run.Instrument);
    for (char& c : node)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            c = '_';
    const std::string object = node + "_field" + std::to_string(field);
    DiscoveryMessage message;
    message.Topic = std::string(discoveryPrefix) + "/sensor/" + object + "/config";
    message.Payload = "{\"name\":" + JsonString(run.Instrument + " field " + std::to_string(field)) +
                      ",\"unique_id\":" + JsonString("quorvane_" + object) +
                      ",\"state_topic\":" + JsonString(topics.Record) + ",\"value_template\":" +
                      JsonString("{{ value_json['values'][" + std::to_string(field - 1) + "] }}") +
                      ",\"availability_topic\":" + JsonString(topics.Status) +
                      ",\"availability_template\":\"{{ value_json.status }}\",\"device\":{\"identifiers\":[" +
                      JsonString("quorvane_" + node) + "],\"name\":" + JsonString(run.Instrument) +
                      ",\"manufacturer\":\"Quorvane\"}}";
    return message;
}

MqttCommandRequest ParseCommandRequest(std::string_view payload) {
    if (auto request = parseJsonRequest(payload))
        return *request;
    return {Utf8ToBytes(payload), {}};
}

std::string CommandResultPayload(const MqttCommandRequest& request, bool accepted) {
    return "{\"id\":" + (request.IdJson.empty() ? std::string("null") : request.IdJson) +
           ",\"command\":" + JsonString(BytesToUtf8(request.Command)) +
           ",\"accepted\":" + (accepted ? "true" : "false") + "}";
}

} // namespace quorvane
