#pragma once
// The running engine's variables, shared by framing, field processing and the tick.

#include "platform/Clock.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

/// How the runtime window was started.
enum class ActivationKind : std::int16_t { None = 0, Normal = 1, VirtualInstrument = 2, Test = 3 };

/// Framing modes, from the end-of-record event and the record structure.
enum class FramingMode : std::int16_t {
    SingleEndChar = 0,
    SingleTimeGap = 1,
    DelimitedEndChar = 2,
    FixedByteCount = 3,
    DelimitedTimeGap = 4,
    FixedLengthTimeGap = 5,
    FixedLengthEndChar = 6
};

/// The overflow position of framing: bytes assigned to it are dropped.
inline constexpr int kOverflowField = 41;

/// Everything the engine keeps between ticks, with its start-up values.
struct EngineState {
    /// Field being filled, 1..41.
    int FieldIndex = 1;
    /// Characters taken into the current fixed-length field.
    int FieldCharCount = 0;
    /// Characters taken into the current record (fixed byte count end).
    int RecordCharCount = 0;
    /// Ticks since the last byte dispatched in the time-gap modes, modulo 256.
    int IdleTicks = 0;
    /// A record has started and not ended.
    bool InRecord = false;
    /// The record in progress is to be discarded.
    bool VoidPending = false;
    /// The previous byte taken was a space.
    bool PrevWasSpace = false;
    /// Input processing is suspended.
    bool Suspended = false;
    /// Suspend again after the next completed record.
    bool OneRecordOnly = false;
    /// 0 none; -1 when an exit was requested, counted up by the ticks that find no input.
    std::int16_t ExitCountdown = 0;
    /// Bytes that end a record.
    std::string EndChars = "\r";
    /// Framing mode.
    FramingMode DispatchMode = FramingMode::SingleEndChar;
    /// Opto-RS request toggle.
    bool OptoRequestSent = false;
    /// Date and time last written to the date/time box, to the second.
    std::optional<LocalDateTime> LastShownTime;
    /// A DDE command is to be sent after each record.
    bool DdeCommandWanted = false;
    /// Working copy of TimerFlags; bit 0 = timed output enabled.
    std::int16_t TimedOutputFlags = 0;
    /// Tick count at which the current timed-output interval started; 0 = not started.
    std::int32_t TimedOutputBase = 0;
    /// Copy of TargetAppCommand.
    std::string TargetCommandLine;
    /// Ticks left until the serial break is cleared; 0 = no break.
    std::int16_t BreakTicks = 0;
    /// Records delivered since start or reset; 0 shows an empty record number box.
    std::int64_t RecordNumber = 0;
    /// Sound number of the record beep; 0 = the standard beep.
    std::uint32_t SpecialBeep = 0;
};

} // namespace quorvane
