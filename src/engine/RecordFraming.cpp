#include "engine/RecordFraming.h"

#include <algorithm>

namespace quorvane {

FramingMode DeriveDispatchMode(std::int16_t endOfRecordEvent, std::int16_t recordStructure) {
    if (endOfRecordEvent == 2)
        return FramingMode::FixedByteCount;
    if (endOfRecordEvent == 1) {
        switch (recordStructure) {
        case 1:
            return FramingMode::DelimitedTimeGap;
        case 2:
            return FramingMode::FixedLengthTimeGap;
        default:
            return FramingMode::SingleTimeGap;
        }
    }
    switch (recordStructure) {
    case 1:
        return FramingMode::DelimitedEndChar;
    case 2:
        return FramingMode::FixedLengthEndChar;
    default:
        return FramingMode::SingleEndChar;
    }
}

std::string DeriveEndChars(std::int16_t endOfRecordEvent, const std::string& endOfRecordChars) {
    return endOfRecordEvent == 3 ? endOfRecordChars : std::string("\r");
}

RecordFraming::RecordFraming(EngineState& state, FieldSlots& slots, const CharFilter& filter,
                             RecordSink& sink)
    : m_state(state), m_slots(slots), m_filter(filter), m_sink(sink) {}

void RecordFraming::configure(const Settings& settings, char decimalSeparator) {
    for (int b = 0; b < kCharCodes; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const std::string& entry = settings.PreInputTranslation[byte];
        m_preInput[byte] = entry == "Ignore"        ? PreInput::Ignore
                           : entry == "Void Record" ? PreInput::Void
                                                    : PreInput::Replace;
        m_replacement[byte] = entry.empty() || m_preInput[byte] != PreInput::Replace
                                  ? byte
                                  : static_cast<unsigned char>(entry[0]);

        const bool numeric =
            (b >= '0' && b <= '9') || b == '-' || b == static_cast<unsigned char>(decimalSeparator);
        switch (settings.StartOfRecordEvent) {
        case 0:
            m_starts[byte] = true;
            break;
        case 1:
            m_starts[byte] = b >= 32 && b <= 126;
            break;
        case 2:
            m_starts[byte] = numeric;
            break;
        case 3:
            m_starts[byte] = settings.StartOfRecordChars.find(static_cast<char>(b)) != std::string::npos;
            break;
        default:
            m_starts[byte] = false;
            break;
        }
        m_ends[byte] = m_state.EndChars.find(static_cast<char>(b)) != std::string::npos;
    }
    for (std::size_t f = 1; f <= kMaxFields; ++f)
        m_fieldLength[f] = settings.FieldLength[f];
    // The overflow field has length 0, so each byte assigned to it completes a field.
    m_fieldLength[kOverflowField] = 0;
    m_delimiter =
        settings.FieldDelimiter.empty() ? -1 : static_cast<unsigned char>(settings.FieldDelimiter[0]);
    m_fieldCount = std::clamp<int>(settings.FieldCount, 1, kMaxFields);
    for (int b = 0; b < kCharCodes; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        m_plain[byte] = m_preInput[byte] == PreInput::Replace && m_replacement[byte] == byte &&
                        !m_ends[byte] && !(b == m_delimiter && m_fieldCount >= 2);
    }
    m_recordLength = settings.RecordLength;
    m_timeBetweenRecords = settings.TimeBetweenRecords;
    m_timeGapEnds = settings.EndOfRecordEvent == 1;
}

void RecordFraming::FrameByte(unsigned char byte) {
    const PreInput action = m_preInput[byte];
    if (action == PreInput::Ignore) {
        m_state.PrevWasSpace = byte == ' ';
        return;
    }
    const unsigned char c = m_replacement[byte];
    if (action == PreInput::Void && m_state.InRecord)
        m_state.VoidPending = true;
    if (!m_state.InRecord) {
        if (!m_starts[c]) {
            m_state.PrevWasSpace = c == ' ';
            return;
        }
        m_state.InRecord = true;
        m_recordBytes = 0;
        if (action == PreInput::Void)
            m_state.VoidPending = true;
    }
    dispatch(c);
    m_state.PrevWasSpace = c == ' ';
    if (m_recordBytes >= kMaxRecordBytes && m_state.InRecord) {
        m_state.FieldCharCount = 0;
        m_state.RecordCharCount = 0;
        m_sink.RecordCutShort();
        completeRecord();
    }
}

std::size_t RecordFraming::framePlainRunFrom(std::string_view bytes) {
    if (!m_state.InRecord || (m_state.DispatchMode != FramingMode::SingleEndChar &&
                              m_state.DispatchMode != FramingMode::DelimitedEndChar))
        return 0;
    const int field = m_state.FieldIndex;
    const auto* kept = m_filter.keptAsIs(field);
    auto* text = std::get_if<std::string>(&m_slots[static_cast<std::size_t>(field)]);
    if (kept == nullptr || text == nullptr)
        return 0;
    // The byte that reaches the longest record goes through FrameByte, which cuts the record there.
    const std::size_t most = std::min(bytes.size(), kMaxRecordBytes - 1 - m_recordBytes);
    std::size_t run = 0;
    while (run < most) {
        const auto byte = static_cast<unsigned char>(bytes[run]);
        if (!m_plain[byte] || !(*kept)[byte])
            break;
        ++run;
    }
    if (run == 0)
        return 0;
    text->append(bytes.data(), run);
    m_recordBytes += run;
    m_highestSlot = std::max(m_highestSlot, field);
    m_state.PrevWasSpace = bytes[run - 1] == ' ';
    return run;
}

void RecordFraming::dispatch(unsigned char c) {
    switch (m_state.DispatchMode) {
    case FramingMode::SingleEndChar:
    case FramingMode::DelimitedEndChar:
        dispatchEndCharMode(c);
        break;
    case FramingMode::SingleTimeGap:
        append(1, c);
        m_state.IdleTicks = 0;
        break;
    case FramingMode::FixedByteCount:
        dispatchFixedLength(c, true, false);
        break;
    case FramingMode::DelimitedTimeGap:
        m_state.IdleTicks = 0;
        if (c != m_delimiter)
            append(m_state.FieldIndex, c);
        else if (!(c == ' ' && m_state.PrevWasSpace))
            nextField();
        break;
    case FramingMode::FixedLengthTimeGap:
        m_state.IdleTicks = 0;
        dispatchFixedLength(c, false, false);
        break;
    case FramingMode::FixedLengthEndChar:
        dispatchFixedLength(c, false, true);
        break;
    }
}

void RecordFraming::dispatchEndCharMode(unsigned char c) {
    // With fewer than two fields the delimiter is plain data, so it can also end the record.
    if (c == m_delimiter && m_fieldCount >= 2) {
        if (!(c == ' ' && m_state.PrevWasSpace))
            nextField();
        // A delimiter that is also an end character ends the record only after the last field.
        if (m_state.FieldIndex > m_fieldCount && m_ends[c])
            completeRecord();
        return;
    }
    append(m_state.FieldIndex, c);
    if (m_ends[c])
        completeRecord();
}

void RecordFraming::dispatchFixedLength(unsigned char c, bool byteCountEnds, bool endCharEnds) {
    append(m_state.FieldIndex, c);
    ++m_state.FieldCharCount;
    if (byteCountEnds)
        ++m_state.RecordCharCount;
    // ">=" rather than "==": with lengths inconsistent with each other (a hand-edited file) the
    // record still ends at the next field boundary instead of never.
    if (m_state.FieldCharCount >= m_fieldLength[static_cast<std::size_t>(m_state.FieldIndex)]) {
        nextField();
        m_state.FieldCharCount = 0;
        if (byteCountEnds && m_state.RecordCharCount >= m_recordLength) {
            m_state.RecordCharCount = 0;
            completeRecord();
            return;
        }
    }
    if (endCharEnds && m_ends[c]) {
        m_state.FieldCharCount = 0;
        completeRecord();
    }
}

void RecordFraming::CheckRecordGap() {
    if (m_timeGapEnds && m_state.InRecord && m_state.IdleTicks == m_timeBetweenRecords) {
        m_state.RecordCharCount = 0;
        m_state.FieldCharCount = 0;
        completeRecord();
    }
}

void RecordFraming::append(int field, unsigned char c) {
    const FilterResult added = m_filter.FilterChar(c, field);
    if (added.Length == 0)
        return;
    Value& slot = m_slots[static_cast<std::size_t>(field)];
    if (auto* text = std::get_if<std::string>(&slot)) {
        if (added.Length == 1)
            text->push_back(added.Chars[0]);
        else
            text->append(added.Chars.data(), added.Length);
    } else
        slot = std::string(added.Chars.data(), added.Length);
    m_recordBytes += added.Length;
    m_highestSlot = std::max(m_highestSlot, field);
}

void RecordFraming::nextField() {
    if (m_state.FieldIndex < kOverflowField)
        ++m_state.FieldIndex;
}

void RecordFraming::completeRecord() {
    m_state.FieldIndex = 1;
    m_sink.CompleteRecord();
}

} // namespace quorvane
