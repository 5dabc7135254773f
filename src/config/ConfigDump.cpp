#include "config/ConfigDump.h"

#include <cstddef>

namespace quorvane {

namespace {

class Dumper {
public:
    void put(std::string_view name, std::int64_t value) {
        m_out.append(name).append("=").append(std::to_string(value)).append("\n");
    }
    void put(std::string_view name, const std::string& value) {
        m_out.append(name).append("=").append(EscapeBytes(value)).append("\n");
    }
    template <typename Array>
    void putArray(std::string_view name, const Array& values, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i) {
            const std::string indexed = std::string(name) + "[" + std::to_string(i) + "]";
            if constexpr (std::is_same_v<typename Array::value_type, std::string>)
                put(indexed, values[i]);
            else
                put(indexed, static_cast<std::int64_t>(values[i]));
        }
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
};

} // namespace

void AppendEscapedBytes(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto plain = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 32 && b <= 126 && c != '\\';
    };
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Printable stretches go in whole; only the bytes between them are escaped one by one.
        std::size_t end = i;
        while (end < bytes.size() && plain(bytes[end]))
            ++end;
        out.append(bytes.data() + i, end - i);
        if (end == bytes.size())
            break;
        const char c = bytes[end];
        i = end + 1;
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default: {
            const auto b = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
        }
    }
}

std::string EscapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendEscapedBytes(out, bytes);
    return out;
}

std::string DumpSettings(const Settings& s) {
    Dumper d;
    d.put("PortIndex", s.PortIndex);
    d.put("BaudIndex", s.BaudIndex);
    d.put("ParityIndex", s.ParityIndex);
    d.put("DataBitsIndex", s.DataBitsIndex);
    d.put("StopBitsIndex", s.StopBitsIndex);
    d.put("FlowControl", s.FlowControl);
    d.put("InputBufferSize", s.InputBufferSize);
    d.put("OutputBufferSize", s.OutputBufferSize);

    d.put("StartOfRecordEvent", s.StartOfRecordEvent);
    d.put("StartOfRecordChars", s.StartOfRecordChars);
    d.put("EndOfRecordEvent", s.EndOfRecordEvent);
    d.put("EndOfRecordChars", s.EndOfRecordChars);
    d.put("TimeBetweenRecords", s.TimeBetweenRecords);
    d.put("RecordStructure", s.RecordStructure);
    d.put("FieldDelimiter", s.FieldDelimiter);
    d.put("RecordLength", s.RecordLength);
    d.put("FieldCount", s.FieldCount);

    d.putArray("FieldFilter", s.FieldFilter, 1, kMaxFields);
    d.putArray("FieldLength", s.FieldLength, 1, kMaxFields);
    d.putArray("FieldFormat", s.FieldFormat, 1, kMaxFields);
    d.putArray("FieldExpression", s.FieldExpression, 1, kMaxFields);
    d.putArray("FieldPostamble", s.FieldPostamble, 1, kMaxFields);
    d.put("RecordPreamble", s.RecordPreamble);

    d.putArray("PreInputTranslation", s.PreInputTranslation, 0, kCharCodes - 1);
    d.putArray("KeystrokeTranslation", s.KeystrokeTranslation, 0, kCharCodes - 1);
    d.put("DdeTranslation", s.DdeTranslation);
    d.put("LogTranslation", s.LogTranslation);

    d.put("OutputMode", s.OutputMode);
    d.put("TargetAppTitle", s.TargetAppTitle);
    d.put("TargetAppCommand", s.TargetAppCommand);
    d.put("ActivateTargetApp", s.ActivateTargetApp);
    d.put("KeystrokeDelay", s.KeystrokeDelay);
    d.put("DdeCommandApp", s.DdeCommandApp);
    d.put("DdeCommandTopic", s.DdeCommandTopic);
    d.put("DdeCommand", s.DdeCommand);
    d.put("DdeTopic", s.DdeTopic);
    d.put("CommandLinkApp", s.CommandLinkApp);
    d.put("CommandLinkTopic", s.CommandLinkTopic);
    d.put("CommandLinkItem", s.CommandLinkItem);
    d.put("CommandLinkAuto", s.CommandLinkAuto);
    d.put("BufferLinkApp", s.BufferLinkApp);
    d.put("BufferLinkTopic", s.BufferLinkTopic);
    d.put("BufferLinkItem", s.BufferLinkItem);
    d.put("BufferLinkAuto", s.BufferLinkAuto);
    d.put("StripBufferCrLf", s.StripBufferCrLf);
    d.put("LogFileName", s.LogFileName);

    d.put("AckString", s.AckString);
    d.putArray("OutputStringName", s.OutputStringName, 1, kOutputStringCount);
    d.putArray("OutputString", s.OutputString, 1, kOutputStringCount);
    d.put("TimerString", s.TimerString);
    d.put("TimerInterval", s.TimerInterval);
    d.put("TimerFlags", s.TimerFlags);

    d.putArray("HotKey", s.HotKey, 0, kHotKeyCount - 1);
    d.putArray("HotKeyAction", s.HotKeyAction, 0, kHotKeyCount - 1);
    d.putArray("HotKeyString", s.HotKeyString, 0, kHotKeyCount - 1);

    d.put("BeepOnInput", s.BeepOnInput);
    d.put("MinimizeOnActivation", s.MinimizeOnActivation);
    d.put("StartSuspended", s.StartSuspended);
    d.put("AlwaysOnTop", s.AlwaysOnTop);
    d.put("ButtonFlags", s.ButtonFlags);
    d.put("ShowDateTime", s.ShowDateTime);
    d.put("DateTimeFormat", s.DateTimeFormat);
    return d.take();
}

} // namespace quorvane
