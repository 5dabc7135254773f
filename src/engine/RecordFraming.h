#pragma once
// Record framing: bytes in, fields filled, records completed.

#include "config/Configuration.h"
#include "engine/CharFilter.h"
#include "engine/EngineState.h"
#include "expr/FieldSlots.h"

#include <array>

namespace quorvane {

/// Receives the end of each framed record.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    /// The record in the field slots is complete; FieldIndex is already back at 1.
    virtual void CompleteRecord() = 0;
    /// A record reached kMaxRecordBytes and is being completed as it stands.
    virtual void RecordCutShort() {}
};

/// The longest record framing builds: a device that never sends the end character cannot take
/// all memory; the record is completed at this many bytes of field text and framing starts afresh.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;

/// The framing mode for an end-of-record event and a record structure.
FramingMode DeriveDispatchMode(std::int16_t endOfRecordEvent, std::int16_t recordStructure);
/// The bytes that end a record: the special characters for end event 3, else a carriage return.
std::string DeriveEndChars(std::int16_t endOfRecordEvent, const std::string& endOfRecordChars);

/// Cuts the byte stream into records and fields. Works on the engine's state and field slots and
/// keeps no buffer of its own; all tables are built by configure(), so each byte costs a constant
/// amount of work besides the append to its slot.
class RecordFraming {
public:
    RecordFraming(EngineState& state, FieldSlots& slots, const CharFilter& filter, RecordSink& sink);

    /// Builds the byte tables from the settings and from state.DispatchMode and state.EndChars.
    void configure(const Settings& settings, char decimalSeparator);

    /// Takes one received byte.
    void FrameByte(unsigned char byte);
    /// Takes the leading bytes of `bytes` that only add themselves to the open record's current
    /// field in an end-character mode, all at once, exactly as FrameByte would; returns how many it
    /// took. FrameByte takes the byte that stopped the run.
    std::size_t FramePlainRun(std::string_view bytes) {
        // Inline for the calls that meet a delimiter or an end byte first, most of them.
        if (bytes.empty() || !m_plain[static_cast<unsigned char>(bytes[0])])
            return 0;
        return framePlainRunFrom(bytes);
    }
    /// The time-gap end of record; called once per tick when no byte is waiting.
    void CheckRecordGap();
    /// True while a record is open that CheckRecordGap can end.
    bool gapCanEndRecord() const { return m_timeGapEnds && m_state.InRecord; }

    /// Highest slot that framing appended to since the last call of forgetFilledSlots.
    int highestFilledSlot() const { return m_highestSlot; }
    /// Starts tracking filled slots afresh.
    void forgetFilledSlots() { m_highestSlot = 0; }

private:
    enum class PreInput : unsigned char { Replace, Ignore, Void };

    std::size_t framePlainRunFrom(std::string_view bytes);
    void dispatch(unsigned char byte);
    void dispatchEndCharMode(unsigned char byte);
    void dispatchFixedLength(unsigned char byte, bool byteCountEnds, bool endCharEnds);
    void append(int field, unsigned char byte);
    void nextField();
    void completeRecord();

    EngineState& m_state;
    FieldSlots& m_slots;
    const CharFilter& m_filter;
    RecordSink& m_sink;

    std::array<PreInput, kCharCodes> m_preInput{};
    std::array<unsigned char, kCharCodes> m_replacement{};
    std::array<bool, kCharCodes> m_starts{};
    std::array<bool, kCharCodes> m_ends{};
    // Bytes that are neither translated, ignored, voiding, an end nor a field delimiter.
    std::array<bool, kCharCodes> m_plain{};
    std::array<int, kOverflowField + 1> m_fieldLength{};
    int m_delimiter = -1; // -1: no delimiter
    int m_fieldCount = 1;
    int m_recordLength = 0;
    int m_timeBetweenRecords = 0;
    bool m_timeGapEnds = false;
    int m_highestSlot = 0;
    std::size_t m_recordBytes = 0;
};

} // namespace quorvane
