#include "config/ConfigSummary.h"

#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "config/SerialOutputRules.h"
#include "platform/DdeBus.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace quorvane {

namespace {

constexpr int kTickMilliseconds = 50;

template <typename T>
std::string nameOf(const T& names, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < std::size(names))
        return std::string(names[static_cast<std::size_t>(index)]);
    return "(unknown: " + std::to_string(index) + ")";
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string hexWord(std::int16_t word) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto w = static_cast<std::uint16_t>(word);
    std::string text = "&H";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += kHex[(w >> shift) & 15];
    return text;
}

// Everything is appended to one text, a line at a time.
class Summary {
public:
    Summary(const Configuration& config, const SummaryContext& context) : c(config), m_context(context) {}

    std::string build() {
        file();
        port();
        output();
        records();
        fields();
        serialOutput();
        hotKeys();
        return std::move(m_out);
    }

private:
    void line(const std::string& text) { m_out.append(text).append("\n"); }

    void file() {
        std::string text = c.ConfigFileName.empty()
                               ? std::string("File: Untitled")
                               : "File: " + fileName(c.ConfigFileName) + " (" + c.ConfigFileName + ")";
        if (isSet(c.ConfigChanged))
            text += ", changed since it was loaded or saved";
        line(text);
    }

    void port() {
        static constexpr const char* kParities[] = {"no", "odd", "even", "mark", "space"};
        static constexpr const char* kDataBits[] = {"5", "6", "7", "8"};
        static constexpr const char* kStopBits[] = {"1 stop bit", "1.5 stop bits", "2 stop bits"};
        static constexpr const char* kFlow[] = {"no flow control", "Xon/Xoff flow control",
                                                "hardware flow control", "Opto-RS requests"};
        std::string text = "Port: " + PortName(c.PortIndex);
        if (!m_context.DevicePath.empty()) {
            text += " on " + m_context.DevicePath;
            if (m_context.SessionDevice)
                text += " (bound for this session)";
        }
        text += ", " + std::to_string(BaudRate(c.BaudIndex)) + " baud, " + nameOf(kParities, c.ParityIndex) +
                " parity, " + nameOf(kDataBits, c.DataBitsIndex) + " data bits, " +
                nameOf(kStopBits, c.StopBitsIndex) + ", " + nameOf(kFlow, c.FlowControl);
        line(text);
    }

    void output() {
        switch (c.OutputMode) {
        case 1: {
            const std::string topic = c.DdeTopic.empty() ? PortName(c.PortIndex) : c.DdeTopic;
            line("Output: DDE server, items on the session bus as " + DdeBusName("Quorvane", topic) +
                 " (topic " + QuotedDeviceText(topic) + ")");
            if (c.DdeCommand.empty())
                line("  No command is sent after each record");
            else
                line("  After each record: " + QuotedDeviceText(c.DdeCommand) + " to " +
                     QuotedDeviceText(c.DdeCommandApp + "|" + c.DdeCommandTopic) + ", bus name " +
                     orNone(DdeBusName(c.DdeCommandApp, c.DdeCommandTopic)));
            return;
        }
        case 2:
            line("Output: log to disk, appended to " + LogFilePath(c));
            return;
        default:
            break;
        }
        const bool target =
            isSet(c.ActivateTargetApp) && (!c.TargetAppTitle.empty() || !c.TargetAppCommand.empty());
        std::string text = "Output: keystrokes ";
        if (!target) {
            text += "to whatever window has the focus (never Quorvane's own)";
        } else {
            text += "to the window titled " + QuotedDeviceText(c.TargetAppTitle);
            if (!c.TargetAppCommand.empty())
                text += ", started with \"" + c.TargetAppCommand + "\" when it is missing";
        }
        line(text + ", " + std::to_string(c.KeystrokeDelay) + " ms between keystrokes");
    }

    static std::string orNone(const std::string& text) { return text.empty() ? "(none)" : text; }

    void records() {
        static constexpr const char* kStarts[] = {"any character", "a letter or digit", "a digit"};
        std::string text = "Records: start at ";
        text += c.StartOfRecordEvent == 3 ? QuotedDeviceText(c.StartOfRecordChars)
                                          : nameOf(kStarts, c.StartOfRecordEvent);
        text += ", end ";
        switch (c.EndOfRecordEvent) {
        case 0:
            text += "at a carriage return or CR LF";
            break;
        case 1:
            text += "after a gap of " + std::to_string(c.TimeBetweenRecords) + " ticks (" +
                    std::to_string(c.TimeBetweenRecords * kTickMilliseconds) + " ms)";
            break;
        case 2:
            text += "after " + std::to_string(c.RecordLength) + " bytes";
            break;
        case 3:
            text += "at " + QuotedDeviceText(c.EndOfRecordChars);
            break;
        default:
            text += "(unknown: " + std::to_string(c.EndOfRecordEvent) + ")";
        }
        line(text);
        switch (c.RecordStructure) {
        case 1:
            line("Structure: " + std::to_string(c.FieldCount) + " fields delimited by " +
                 QuotedDeviceText(c.FieldDelimiter));
            break;
        case 2:
            line("Structure: " + std::to_string(c.FieldCount) + " fixed-length fields");
            break;
        default:
            line("Structure: a single field");
        }
        if (c.OutputMode != 1 && !c.RecordPreamble.empty())
            line("Record preamble: " + QuotedDeviceText(c.RecordPreamble));
    }

    void fields() {
        static constexpr const char* kFilters[] = {"no filter",      "ignored",          "numeric data only",
                                                   "hex to decimal", "octal to decimal", "binary to hex"};
        const int count = c.RecordStructure == 0 ? 1 : std::clamp<int>(c.FieldCount, 1, kMaxFields);
        for (int i = 1; i <= count; ++i) {
            const auto index = static_cast<std::size_t>(i);
            const std::string& code = c.FieldFilter[index];
            const std::size_t found =
                code.size() == 1 ? std::string_view("CINHOB").find(code[0]) : std::string::npos;
            std::string text = "Field " + std::to_string(i) + ": " +
                               (found == std::string::npos ? "filter " + QuotedDeviceText(code)
                                                           : std::string(kFilters[found]));
            if (c.RecordStructure == 2)
                text += ", length " + std::to_string(c.FieldLength[index]);
            if (!c.FieldExpression[index].empty())
                text += ", expression " + QuotedDeviceText(c.FieldExpression[index]);
            if (!c.FieldFormat[index].empty())
                text += ", format " + QuotedDeviceText(c.FieldFormat[index]);
            if (c.OutputMode != 1 && !c.FieldPostamble[index].empty())
                text += ", postamble " + QuotedDeviceText(c.FieldPostamble[index]);
            line(text);
        }
    }

    void serialOutput() {
        for (int k = 1; k <= kOutputStringCount; ++k) {
            const auto index = static_cast<std::size_t>(k);
            if (c.OutputString[index].empty())
                continue;
            std::string text = "Output string " + std::to_string(k);
            if (!c.OutputStringName[index].empty())
                text += " (button " + QuotedDeviceText(c.OutputStringName[index]) + ")";
            line(text + ": " + QuotedDeviceText(c.OutputString[index]));
        }
        if (!c.AckString.empty())
            line("Acknowledgement after each record: " + QuotedDeviceText(c.AckString));
        if (c.TimerInterval <= 0)
            return;
        std::string text = "Timed output every " + std::to_string(c.TimerInterval) + " ms: ";
        switch (TimerActionOfFlags(c.TimerFlags)) {
        case 1:
            text += "toggle DTR";
            break;
        case 2:
            text += "issue a break";
            break;
        default:
            text += "transmit " + QuotedDeviceText(c.TimerString);
        }
        line(text + ((c.TimerFlags & 1) != 0 ? ", on from the start" : ", off until switched on"));
    }

    void hotKeys() {
        const auto& actions = HotKeyActionNames();
        for (int i = 0; i < kHotKeyCount; ++i) {
            const auto index = static_cast<std::size_t>(i);
            const std::int16_t action = c.HotKeyAction[index];
            if (action == 0 || c.HotKey[index] == 0)
                continue;
            const std::string key =
                m_context.HotKeyName ? m_context.HotKeyName(c.HotKey[index]) : hexWord(c.HotKey[index]);
            std::string text = "Hot key " + key + ": " + nameOf(actions, action);
            if (action == 1)
                text += " " + QuotedDeviceText(c.HotKeyString[index]);
            line(text);
        }
    }

    const Configuration& c;
    const SummaryContext& m_context;
    std::string m_out;
};

} // namespace

std::string QuotedDeviceText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped = "\"";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\\':
            escaped += "\\\\";
            break;
        default:
            if (b < 32 || b == 127) {
                escaped += "\\x";
                escaped += kHex[b >> 4];
                escaped += kHex[b & 15];
            } else {
                escaped += ch;
            }
        }
    }
    // The escapes are ASCII, so only the device's own characters change in the conversion.
    return BytesToUtf8(escaped) + "\"";
}

std::string LogFilePath(const Settings& settings) {
    if (settings.OutputMode != 2 || settings.LogFileName.empty())
        return {};
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(settings.LogFileName, error);
    return error ? settings.LogFileName : full.lexically_normal().string();
}

std::string ConfigSummary(const Configuration& config, const SummaryContext& context) {
    return Summary(config, context).build();
}

} // namespace quorvane
