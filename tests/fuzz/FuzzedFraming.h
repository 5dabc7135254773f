#pragma once
// Fuzzed record structures: the first bytes of a fuzzer's input choose the framing settings, the
// rest is the byte stream. Shared by the framing fuzzers, so their corpora read alike.

#include "config/Configuration.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace quorvane::fuzz {

inline void check(bool condition) {
    if (!condition)
        std::abort();
}

// Reads configuration bytes; past the end it gives zeros.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::string rest() const {
        return m_pos < m_size ? std::string(reinterpret_cast<const char*>(m_data + m_pos), m_size - m_pos)
                              : std::string();
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

inline void configure(Reader& in, Configuration& config) {
    config.RecordStructure = static_cast<std::int16_t>(in.next() % 4);
    config.StartOfRecordEvent = static_cast<std::int16_t>(in.next() % 5);
    config.EndOfRecordEvent = static_cast<std::int16_t>(in.next() % 5);
    config.FieldDelimiter = std::string(1, static_cast<char>(in.next()));
    config.FieldCount = static_cast<std::int16_t>(in.next() % 44);
    const std::uint8_t lengthSeed = in.next();
    int sum = 0;
    for (std::size_t f = 1; f <= kMaxFields; ++f) {
        config.FieldLength[f] = static_cast<std::int16_t>((lengthSeed + f * 7) % 5);
        if (static_cast<int>(f) <= config.FieldCount)
            sum += config.FieldLength[f];
    }
    const std::uint8_t lengthSkew = in.next();
    config.RecordLength = static_cast<std::int16_t>(lengthSkew < 200 ? sum : lengthSkew - 200);
    config.TimeBetweenRecords = static_cast<std::int16_t>(in.next() % 6);
    config.StartOfRecordChars = std::string{static_cast<char>(in.next()), static_cast<char>(in.next())};
    config.EndOfRecordChars = std::string{static_cast<char>(in.next()), static_cast<char>(in.next())};
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t byte = in.next();
        const std::uint8_t kind = in.next();
        config.PreInputTranslation[byte] = kind % 4 == 0   ? "Ignore"
                                           : kind % 4 == 1 ? "Void Record"
                                           : kind % 4 == 2 ? std::string(1, static_cast<char>(kind))
                                                           : std::string();
    }
    constexpr char kFilters[] = "CINHOBX";
    for (std::size_t f = 1; f <= 3; ++f)
        config.FieldFilter[f] = std::string(1, kFilters[in.next() % 7]);
    config.OutputMode = static_cast<std::int16_t>(in.next() % 3);
    config.FlowControl = static_cast<std::int16_t>(in.next() % 4);
    config.AckString = std::string(in.next() % 3, 'A');
    config.BeepOnInput = (in.next() & 1) ? kTrue : kFalse;
    const std::uint8_t control = in.next();
    config.FieldPostamble[1] = (control & 1) ? "{DAY}" : "";
    config.StartSuspended = kFalse;
}

} // namespace quorvane::fuzz
