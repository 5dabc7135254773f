#pragma once
// Builders shared by the configuration tests: reset settings, random settings, file texts.

#include <random>
#include <string>

#include "config/Configuration.h"

namespace quorvane::test {

/// A configuration reset to its defaults.
inline Configuration resetConfiguration() {
    Configuration config;
    ResetConfiguration(config);
    return config;
}

/// Random settings: raw strings with every byte value (CR LF included), text lines without line
/// ends, numbers across their whole range.
class RandomSettings {
public:
    explicit RandomSettings(unsigned seed) : m_rng(seed) {}

    Settings make() {
        Settings s = resetConfiguration();
        s.PortIndex = i16();
        s.BaudIndex = i16();
        s.ParityIndex = i16();
        s.DataBitsIndex = i16();
        s.StopBitsIndex = i16();
        s.FlowControl = i16();
        s.InputBufferSize = i32();
        s.OutputBufferSize = i32();
        s.StartOfRecordEvent = i16();
        s.StartOfRecordChars = raw();
        s.EndOfRecordEvent = i16();
        s.EndOfRecordChars = raw();
        s.TimeBetweenRecords = i16();
        s.RecordStructure = i16();
        s.FieldDelimiter = std::string(1, anyByte());
        s.RecordLength = i16();
        s.FieldCount = i16();
        for (std::size_t i = 1; i <= kMaxFields; ++i) {
            s.FieldFilter[i] = line(1);
            s.FieldLength[i] = i16();
            s.FieldFormat[i] = line(12);
            s.FieldExpression[i] = line(20);
            s.FieldPostamble[i] = raw();
        }
        s.RecordPreamble = raw();
        for (std::size_t c = 0; c < kCharCodes; ++c) {
            const int pick = pickInt(0, 9);
            s.PreInputTranslation[c] = pick == 0   ? "Ignore"
                                       : pick == 1 ? "Void Record"
                                                   : std::string(1, anyByte());
            s.KeystrokeTranslation[c] = line(8);
        }
        s.DdeTranslation.clear();
        s.LogTranslation.clear();
        for (std::size_t c = 0; c < kCharCodes; ++c) {
            s.DdeTranslation += anyByte();
            s.LogTranslation += anyByte();
        }
        s.OutputMode = i16();
        s.TargetAppTitle = line(30);
        s.TargetAppCommand = line(30);
        s.ActivateTargetApp = i16();
        s.KeystrokeDelay = i32();
        s.DdeCommandApp = line(10);
        s.DdeCommandTopic = line(10);
        s.DdeCommand = line(30);
        s.DdeTopic = line(15);
        s.CommandLinkApp = line(10);
        s.CommandLinkTopic = line(10);
        s.CommandLinkItem = line(10);
        s.CommandLinkAuto = i16();
        s.BufferLinkApp = line(10);
        s.BufferLinkTopic = line(10);
        s.BufferLinkItem = line(10);
        s.BufferLinkAuto = i16();
        s.StripBufferCrLf = i16();
        s.LogFileName = line(40);
        s.AckString = raw();
        for (std::size_t i = 1; i <= kOutputStringCount; ++i) {
            s.OutputStringName[i] = line(12);
            s.OutputString[i] = raw();
        }
        s.TimerString = raw();
        s.TimerInterval = i32();
        s.TimerFlags = i16();
        for (std::size_t i = 0; i < kHotKeyCount; ++i) {
            s.HotKey[i] = i16();
            s.HotKeyAction[i] = i16();
            s.HotKeyString[i] = raw();
        }
        s.BeepOnInput = i16();
        s.MinimizeOnActivation = i16();
        s.StartSuspended = i16();
        s.AlwaysOnTop = i16();
        s.ButtonFlags = i16();
        s.ShowDateTime = i16();
        s.DateTimeFormat = line(20);
        return s;
    }

private:
    int pickInt(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    char anyByte() { return static_cast<char>(pickInt(0, 255)); }

    // Extremes often, anything else otherwise.
    std::int16_t i16() {
        switch (pickInt(0, 4)) {
        case 0:
            return INT16_MIN;
        case 1:
            return INT16_MAX;
        case 2:
            return static_cast<std::int16_t>(pickInt(-1, 1));
        default:
            return static_cast<std::int16_t>(pickInt(INT16_MIN, INT16_MAX));
        }
    }
    std::int32_t i32() {
        switch (pickInt(0, 4)) {
        case 0:
            return INT32_MIN;
        case 1:
            return INT32_MAX;
        case 2:
            return pickInt(-1, 1);
        default:
            return std::uniform_int_distribution<std::int32_t>(INT32_MIN, INT32_MAX)(m_rng);
        }
    }

    std::string raw() {
        std::string s(static_cast<std::size_t>(pickInt(0, 3) == 0 ? 0 : pickInt(1, 40)), '\0');
        for (char& c : s)
            c = anyByte();
        if (pickInt(0, 3) == 0)
            s += "\r\n";
        return s;
    }

    // Any byte but CR and LF, which a text line cannot hold.
    std::string line(int maxLength) {
        std::string s(static_cast<std::size_t>(pickInt(0, maxLength)), '\0');
        for (char& c : s) {
            do
                c = anyByte();
            while (c == '\r' || c == '\n');
        }
        return s;
    }

    std::mt19937 m_rng;
};

} // namespace quorvane::test
