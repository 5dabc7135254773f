#pragma once
// Values derived from settings, and the limits the editing dialogs enforce, with their messages.

#include <cstdint>
#include <optional>
#include <string>

#include "config/Configuration.h"

namespace quorvane {

/// "COM" and PortIndex+1 in decimal: COM1 for 0.
std::string PortName(std::int16_t portIndex);
/// Baud rate of a BaudIndex code; 9600 for a code outside the table.
std::int32_t BaudRate(std::int16_t baudIndex);
/// Data bits per byte: DataBitsIndex + 5.
int ByteSize(std::int16_t dataBitsIndex);
/// True exactly when a target title or command is given (recomputed when the target dialog is confirmed).
Flag DerivedActivateTargetApp(const std::string& title, const std::string& command);
/// TimerFlags from the timer dialog: the check box (0 or 1) plus 2^(action + 1), action 0 Transmit
/// String, 1 Toggle DTR, 2 Issue Break.
std::int16_t TimerFlagsFromDialog(bool enableOnActivation, int actionIndex);

/// Modifier bits of a hot key's high byte.
inline constexpr int kHotKeyShift = 1;
inline constexpr int kHotKeyCtrl = 2;
inline constexpr int kHotKeyAlt = 4;

/// A hot key setting split into its virtual-key code and modifier bits.
struct HotKeyBinding {
    int VirtualKey = 0;
    int Modifiers = 0;
    bool operator==(const HotKeyBinding&) const = default;
};
/// Key = low byte, modifiers = the Shift/Ctrl/Alt bits of the high byte.
HotKeyBinding HotKeyRegistration(std::int16_t hotKey);

// Each check returns nullopt when the value is accepted, else the message the dialog shows.

/// InputBufferSize and OutputBufferSize: 128 to 131072.
std::optional<std::string> CheckBufferSize(std::int64_t size);
/// RecordLength: 1 to 32766.
std::optional<std::string> CheckRecordLength(std::int64_t length);
/// FieldCount of a delimited record: 2 to 40.
std::optional<std::string> CheckDelimitedFieldCount(std::int64_t count);
/// FieldLength[i]: 1 to 32766.
std::optional<std::string> CheckFieldLength(std::int64_t length);
/// With a fixed byte count ending the record, the used field lengths must add up to RecordLength.
std::optional<std::string> CheckFieldLengthSum(const Settings& settings);
/// TimeBetweenRecords: 1 to 255.
std::optional<std::string> CheckTimeBetweenRecords(std::int64_t ticks);
/// TimerInterval: below 100000000 ms.
std::optional<std::string> CheckTimerInterval(std::int64_t milliseconds);
/// StartOfRecordChars / EndOfRecordChars must not be empty when the event is 3 (special characters).
std::optional<std::string> CheckSpecialChars(std::int16_t event, const std::string& chars);
/// A specified DdeTopic must not be blank after trimming.
std::optional<std::string> CheckDdeTopic(const std::string& topic);

/// The longest DdeTopic the Preferences dialog accepts.
inline constexpr std::size_t kMaxDdeTopicLength = 15;

/// `text` without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

} // namespace quorvane
