#pragma once
// Writes the two older file layouts, which the program only reads, so tests can make such files.

#include <optional>
#include <string>

#include "config/ConfigFileFormat.h"

namespace quorvane::test {

class LegacyFileBuilder {
public:
    /// `countOnItsOwnLine`: counted strings as a number line followed by the bytes, as some writers
    /// of these layouts did.
    explicit LegacyFileBuilder(bool countOnItsOwnLine = false) : m_countOnItsOwnLine(countOnItsOwnLine) {}
    LegacyFileBuilder& header(std::string_view h) { return text(h); }
    LegacyFileBuilder& number(std::int64_t v) {
        m_out += (v >= 0 ? " " : "") + std::to_string(v) + " \r\n";
        return *this;
    }
    LegacyFileBuilder& text(std::string_view s) {
        m_out.append(s).append("\r\n");
        return *this;
    }
    // A count, one blank (or a blank and a line end), the bytes, then a line end.
    LegacyFileBuilder& counted(std::string_view s) {
        m_out += " " + std::to_string(s.size()) + (m_countOnItsOwnLine ? " \r\n" : " ");
        m_out.append(s).append("\r\n");
        return *this;
    }
    LegacyFileBuilder& preInput(const std::string& entry) {
        if (entry == "Ignore" || entry == "Void Record")
            return text(entry);
        return text(" " + std::to_string(static_cast<unsigned char>(entry[0])));
    }
    std::string take() { return std::move(m_out); }

private:
    bool m_countOnItsOwnLine;
    std::string m_out;
};

/// A file in the 2.00 layout holding `s`; the topic and delay lines only when `withTail`.
inline std::string make2_00File(const Settings& s, bool withTail = true, bool countOnItsOwnLine = false) {
    LegacyFileBuilder b(countOnItsOwnLine);
    b.header(kHeader2_00);
    for (std::int64_t v : {s.PortIndex, s.BaudIndex, s.ParityIndex, s.DataBitsIndex, s.StopBitsIndex})
        b.number(v);
    b.number(s.FlowControl).number(s.InputBufferSize).number(s.OutputBufferSize).number(s.BeepOnInput);
    b.number(s.OutputMode)
        .number(s.TimeBetweenRecords)
        .number(s.StartOfRecordEvent)
        .number(s.EndOfRecordEvent);
    b.number(s.RecordStructure).number(s.RecordLength).number(s.FieldCount);
    b.text(s.FieldDelimiter);
    b.text(s.TargetAppTitle).text(s.TargetAppCommand).number(s.ActivateTargetApp);
    b.text(s.DdeCommandApp).text(s.DdeCommandTopic).text(s.DdeCommand);
    for (const auto& e : s.KeystrokeTranslation)
        b.text(e);
    for (const auto& e : s.PreInputTranslation)
        b.preInput(e);
    for (unsigned char c : s.DdeTranslation)
        b.number(c);
    for (unsigned char c : s.LogTranslation)
        b.number(c);
    b.counted(s.AckString).counted(s.TimerString).number(s.TimerInterval).number(s.TimerFlags);
    b.counted(s.RecordPreamble);
    for (std::size_t i = 1; i <= 20; ++i) {
        b.text(s.OutputStringName[i]).counted(s.OutputString[i]);
        b.text(s.FieldFilter[i]).number(s.FieldLength[i]).counted(s.FieldPostamble[i]);
        b.text(s.FieldFilter[i + 20]).number(s.FieldLength[i + 20]).counted(s.FieldPostamble[i + 20]);
        b.text(s.FieldFormat[i]).text(s.FieldFormat[i + 20]);
    }
    b.text(s.LogFileName).number(s.MinimizeOnActivation);
    b.text(s.CommandLinkApp).text(s.CommandLinkTopic).text(s.CommandLinkItem).number(s.CommandLinkAuto);
    b.text(s.BufferLinkApp).text(s.BufferLinkTopic).text(s.BufferLinkItem).number(s.BufferLinkAuto);
    b.number(s.StripBufferCrLf).text(s.DateTimeFormat).number(s.ShowDateTime).number(s.ButtonFlags);
    b.counted(s.StartOfRecordChars).counted(s.EndOfRecordChars);
    if (withTail)
        b.text(s.DdeTopic).text(std::to_string(s.KeystrokeDelay));
    return b.take();
}

/// A file in the 1.1 layout holding `s`, followed by `note` when given.
inline std::string make1_1File(const Settings& s, std::optional<std::string> note = std::nullopt,
                               bool countOnItsOwnLine = false) {
    LegacyFileBuilder b(countOnItsOwnLine);
    b.header(kHeader1_1);
    for (std::int64_t v : {s.PortIndex, s.BaudIndex, s.ParityIndex, s.DataBitsIndex, s.StopBitsIndex})
        b.number(v);
    b.number(s.FlowControl).number(s.InputBufferSize).number(s.BeepOnInput).number(s.OutputMode);
    b.number(s.TimeBetweenRecords).number(s.EndOfRecordEvent).number(s.RecordStructure);
    b.number(s.RecordLength).number(s.FieldCount);
    b.text(s.FieldDelimiter).text(s.TargetAppTitle).text(s.TargetAppCommand).number(s.ActivateTargetApp);
    b.text(s.DdeCommandApp).text(s.DdeCommandTopic).text(s.DdeCommand).text("skipped");
    for (const auto& e : s.KeystrokeTranslation)
        b.text(e);
    b.counted(s.AckString).text(s.RecordPreamble);
    for (std::size_t i = 1; i <= 20; ++i) {
        b.text(s.OutputStringName[i]).counted(s.OutputString[i]);
        b.text(s.FieldFilter[i]).number(s.FieldLength[i]).text(s.FieldPostamble[i]);
        b.text(s.FieldFilter[i + 20]).number(s.FieldLength[i + 20]).text(s.FieldPostamble[i + 20]);
    }
    b.counted(s.TimerString).number(s.TimerInterval).number(s.TimerFlags).number(s.ButtonFlags).number(0);
    if (note)
        b.text(*note);
    return b.take();
}

} // namespace quorvane::test
