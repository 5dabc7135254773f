#pragma once
// The current file layout, described once and walked by both the writer and the reader.

#include <cstddef>
#include <string>

#include "config/Configuration.h"

namespace quorvane::layout {

/// The 16 numbers that follow the header in the 2.00 and current layouts: port, buffers, mode and
/// record structure. The visitor offers number(int16_t&) and number(int32_t&).
template <typename Settings, typename Visitor>
void visitPortAndRecord(Settings& s, Visitor& v) {
    v.number(s.PortIndex);
    v.number(s.BaudIndex);
    v.number(s.ParityIndex);
    v.number(s.DataBitsIndex);
    v.number(s.StopBitsIndex);
    v.number(s.FlowControl);
    v.number(s.InputBufferSize);
    v.number(s.OutputBufferSize);
    v.number(s.BeepOnInput);
    v.number(s.OutputMode);
    v.number(s.TimeBetweenRecords);
    v.number(s.StartOfRecordEvent);
    v.number(s.EndOfRecordEvent);
    v.number(s.RecordStructure);
    v.number(s.RecordLength);
    v.number(s.FieldCount);
}

/// From the target application to the log translation table, the same in the 2.00 and current
/// layouts. The visitor also offers text(std::string&), preInput(std::string&) and
/// codeTable(std::string&) for 256 character codes.
template <typename Settings, typename Visitor>
void visitTargetsAndTables(Settings& s, Visitor& v) {
    v.text(s.TargetAppTitle);
    v.text(s.TargetAppCommand);
    v.number(s.ActivateTargetApp);
    v.text(s.DdeCommandApp);
    v.text(s.DdeCommandTopic);
    v.text(s.DdeCommand);
    for (auto& entry : s.KeystrokeTranslation)
        v.text(entry);
    for (auto& entry : s.PreInputTranslation)
        v.preInput(entry);
    v.codeTable(s.DdeTranslation);
    v.codeTable(s.LogTranslation);
}

/// From the log file name to the button flags, the same in the 2.00 and current layouts.
template <typename Settings, typename Visitor>
void visitLogLinksAndDisplay(Settings& s, Visitor& v) {
    v.text(s.LogFileName);
    v.number(s.MinimizeOnActivation);
    v.text(s.CommandLinkApp);
    v.text(s.CommandLinkTopic);
    v.text(s.CommandLinkItem);
    v.number(s.CommandLinkAuto);
    v.text(s.BufferLinkApp);
    v.text(s.BufferLinkTopic);
    v.text(s.BufferLinkItem);
    v.number(s.BufferLinkAuto);
    v.number(s.StripBufferCrLf);
    v.text(s.DateTimeFormat);
    v.number(s.ShowDateTime);
    v.number(s.ButtonFlags);
}

/// Walks the line part of the current layout (after the header, up to the last length line).
/// Besides the operations above, the visitor offers code(std::string&) for a one-character setting
/// and length(std::string&) for a string whose bytes go into the raw block.
template <typename Settings, typename Visitor>
void visitLines(Settings& s, Visitor& v) {
    visitPortAndRecord(s, v);
    v.code(s.FieldDelimiter);
    visitTargetsAndTables(s, v);
    for (std::size_t i = 1; i <= kOutputStringCount; ++i) {
        v.text(s.OutputStringName[i]);
        v.text(s.FieldFilter[i]);
        v.number(s.FieldLength[i]);
        v.text(s.FieldFilter[i + 20]);
        v.number(s.FieldLength[i + 20]);
        v.text(s.FieldFormat[i]);
        v.text(s.FieldFormat[i + 20]);
    }
    visitLogLinksAndDisplay(s, v);
    v.number(s.TimerInterval);
    v.number(s.TimerFlags);
    v.number(s.StartSuspended);
    v.number(s.AlwaysOnTop);
    for (std::size_t i = 0; i < kHotKeyCount; ++i) {
        v.number(s.HotKeyAction[i]);
        v.number(s.HotKey[i]);
    }
    for (std::size_t i = 1; i <= kMaxFields; ++i)
        v.text(s.FieldExpression[i]);
    v.length(s.AckString);
    v.length(s.TimerString);
    v.length(s.RecordPreamble);
    v.length(s.StartOfRecordChars);
    v.length(s.EndOfRecordChars);
    for (std::size_t i = 1; i <= kOutputStringCount; ++i) {
        v.length(s.OutputString[i]);
        v.length(s.FieldPostamble[i]);
        v.length(s.FieldPostamble[i + 20]);
    }
    for (auto& entry : s.HotKeyString)
        v.length(entry);
}

/// Walks the raw block: the strings whose lengths the line part holds, in raw-block order
/// (which differs from the order of their lengths). The visitor offers raw(std::string&).
template <typename Settings, typename Visitor>
void visitRawBlock(Settings& s, Visitor& v) {
    v.raw(s.StartOfRecordChars);
    v.raw(s.EndOfRecordChars);
    v.raw(s.AckString);
    v.raw(s.TimerString);
    v.raw(s.RecordPreamble);
    for (std::size_t i = 1; i <= kOutputStringCount; ++i)
        v.raw(s.OutputString[i]);
    for (std::size_t i = 1; i <= kMaxFields; ++i)
        v.raw(s.FieldPostamble[i]);
    for (auto& entry : s.HotKeyString)
        v.raw(entry);
}

} // namespace quorvane::layout
