#pragma once
// The one configuration in memory: every setting of a device and its delivery, with its defaults.

#include <array>
#include <cstdint>
#include <string>

namespace quorvane {

/// Flags are signed 16-bit integers: 0 false, -1 true; any non-zero value reads as true.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

inline constexpr int kMaxFields = 40;
inline constexpr int kOutputStringCount = 20;
inline constexpr int kHotKeyCount = 50;
inline constexpr int kCharCodes = 256;

/// Field arrays are indexed 1..40 (index 0 unused), output strings 1..20, hot keys 0..49.
template <typename T>
using FieldArray = std::array<T, kMaxFields + 1>;
template <typename T>
using OutputStringArray = std::array<T, kOutputStringCount + 1>;
template <typename T>
using HotKeyArray = std::array<T, kHotKeyCount>;
using CharTable = std::array<std::string, kCharCodes>;

/// Every stored setting. Texts are byte strings (any byte 0..255) in the program's code page.
struct Settings {
    // Serial port
    std::int16_t PortIndex = 0;
    std::int16_t BaudIndex = 6;
    std::int16_t ParityIndex = 2;
    std::int16_t DataBitsIndex = 2;
    std::int16_t StopBitsIndex = 0;
    std::int16_t FlowControl = 0;
    std::int32_t InputBufferSize = 1024;
    std::int32_t OutputBufferSize = 512;

    // Input record structure
    std::int16_t StartOfRecordEvent = 0;
    std::string StartOfRecordChars;
    std::int16_t EndOfRecordEvent = 0;
    std::string EndOfRecordChars;
    std::int16_t TimeBetweenRecords = 3;
    std::int16_t RecordStructure = 0;
    std::string FieldDelimiter = ",";
    std::int16_t RecordLength = 0;
    std::int16_t FieldCount = 1;

    // Field definitions
    FieldArray<std::string> FieldFilter{};
    FieldArray<std::int16_t> FieldLength{};
    FieldArray<std::string> FieldFormat{};
    FieldArray<std::string> FieldExpression{};
    FieldArray<std::string> FieldPostamble{};
    std::string RecordPreamble;

    // Translation tables
    CharTable PreInputTranslation{};
    CharTable KeystrokeTranslation{};
    std::string DdeTranslation;
    std::string LogTranslation;

    // Output mode and its targets
    std::int16_t OutputMode = 0;
    std::string TargetAppTitle;
    std::string TargetAppCommand;
    Flag ActivateTargetApp = kTrue;
    std::int32_t KeystrokeDelay = 1;
    std::string DdeCommandApp = "Excel";
    std::string DdeCommandTopic = "System";
    std::string DdeCommand;
    std::string DdeTopic;
    std::string CommandLinkApp;
    std::string CommandLinkTopic;
    std::string CommandLinkItem;
    Flag CommandLinkAuto = kFalse;
    std::string BufferLinkApp;
    std::string BufferLinkTopic;
    std::string BufferLinkItem;
    Flag BufferLinkAuto = kFalse;
    Flag StripBufferCrLf = kTrue;
    std::string LogFileName;

    // Serial output
    std::string AckString;
    /// Captions of the output-string buttons, 1..20. Entry 0 is not stored in the current file
    /// layout, but the 2.00 layout reads its captions one place down, into 0..19.
    OutputStringArray<std::string> OutputStringName{};
    OutputStringArray<std::string> OutputString{};
    std::string TimerString;
    std::int32_t TimerInterval = 0;
    std::int16_t TimerFlags = 0;

    // Hot keys
    HotKeyArray<std::int16_t> HotKey{};
    HotKeyArray<std::int16_t> HotKeyAction{};
    HotKeyArray<std::string> HotKeyString{};

    // Runtime-window options
    Flag BeepOnInput = kFalse;
    Flag MinimizeOnActivation = kFalse;
    Flag StartSuspended = kFalse;
    Flag AlwaysOnTop = kFalse;
    std::int16_t ButtonFlags = 0;
    Flag ShowDateTime = kFalse;
    std::string DateTimeFormat;

    bool operator==(const Settings&) const = default;
};

/// The settings together with the state that goes with them but is never written to a file.
struct Configuration : Settings {
    /// Full path of the current configuration file; empty while untitled.
    std::string ConfigFileName;
    Flag ConfigLoaded = kFalse;
    Flag ConfigChanged = kFalse;
    /// Result of the last save prompt: true when the user chose Cancel.
    Flag PromptCancelled = kFalse;
};

/// Where the default log file lives: Quorvane.Log in the user's home folder.
std::string DefaultLogFileName();

/// Sets every setting to its default (tables first) and clears ConfigLoaded and ConfigChanged.
/// ConfigFileName is left alone.
void ResetConfiguration(Configuration& config);

/// Identity: entry c holds the character of code c.
CharTable DefaultPreInputTranslation();
/// Codes 0..31 become code 0, 32..255 stay themselves; 256 characters.
std::string DefaultDdeTranslation();
/// Identity; 256 characters.
std::string DefaultLogTranslation();
/// The macro typed for each output character in keystroke mode.
CharTable DefaultKeystrokeTranslation();

/// True for any non-zero flag.
constexpr bool isSet(Flag flag) {
    return flag != 0;
}
/// The stored form of a truth.
constexpr Flag toFlag(bool on) {
    return on ? kTrue : kFalse;
}

} // namespace quorvane
