#include "config/InputAnalysis.h"

#include "config/ConfigLimits.h"

#include <algorithm>
#include <array>

namespace quorvane {

namespace {

constexpr std::int64_t kLongestRecord = 32766;

struct Delimiter {
    const char* Name;
    char Character;
};

// In the order of preference: the first one seen at all wins, whatever the counts.
constexpr std::array<Delimiter, 4> kDelimiters{
    {{"Comma", ','}, {"Space", ' '}, {"Tab", '\t'}, {"Asterisk", '*'}}};

// Numbers in the messages keep the blank a positive number is printed with, after the text's own.
std::string numberText(std::int64_t n) {
    return " " + std::to_string(n);
}

template <typename T>
std::string captionOf(const T& captions, std::int16_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < std::size(captions)
               ? captions[static_cast<std::size_t>(index)]
               : "";
}

} // namespace

std::optional<InputAnalysis> AnalyzeInput(std::string_view received) {
    if (received.empty())
        return std::nullopt;
    std::int64_t length = static_cast<std::int64_t>(received.size());
    bool foundCr = false;
    std::array<std::int64_t, kDelimiters.size()> counts{};
    for (std::size_t i = 0; i < received.size(); ++i) {
        const char c = received[i];
        if (c == '\r') {
            foundCr = true;
            length = static_cast<std::int64_t>(i) + 1;
            break;
        }
        if (c == ' ' && i > 0 && received[i - 1] == ' ')
            continue; // a run of blanks counts once
        for (std::size_t d = 0; d < kDelimiters.size(); ++d)
            counts[d] += c == kDelimiters[d].Character ? 1 : 0;
    }
    const auto chosen = std::find_if(counts.begin(), counts.end(), [](std::int64_t n) { return n > 0; });
    const std::int64_t delimiters = chosen == counts.end() ? 0 : *chosen;
    std::int64_t fields = delimiters + 1;
    length = std::min(length, kLongestRecord);

    InputAnalysis a;
    if (foundCr && fields > 1) {
        const Delimiter& d = kDelimiters[static_cast<std::size_t>(chosen - counts.begin())];
        fields = std::min<std::int64_t>(fields, kMaxFields);
        a.EndOfRecordEvent = 0;
        a.RecordStructure = 1;
        a.FieldDelimiter = std::string(1, d.Character);
        a.Message = std::string(d.Name) + " delimited records with " + numberText(fields) +
                    " fields and Cr or CrLf at end of record.";
    } else if (foundCr) {
        a.EndOfRecordEvent = 0;
        a.RecordStructure = 0;
        a.Message = "Single Field Records with Cr or CrLf at end of record.";
    } else if (fields > 1) {
        // Every delimiter becomes a field of its own between the data fields.
        fields = std::min<std::int64_t>(2 * fields - 1, kMaxFields);
        a.EndOfRecordEvent = 2;
        a.RecordStructure = 2;
        a.Message =
            numberText(length) + " byte fixed length records with " + numberText(fields) + " field(s).";
    } else {
        a.EndOfRecordEvent = 1;
        a.RecordStructure = 0;
        a.Message = "Single Field Records with time delay between records.";
    }
    a.FieldCount = static_cast<std::int16_t>(fields);
    a.RecordLength = static_cast<std::int16_t>(length);
    return a;
}

std::string InputAnalysisQuestion(const InputAnalysis& analysis) {
    return analysis.Message + "\r\rConfigure Quorvane Using these Settings?";
}

void ApplyInputAnalysis(const InputAnalysis& analysis, Configuration& config) {
    config.EndOfRecordEvent = analysis.EndOfRecordEvent;
    config.RecordStructure = analysis.RecordStructure;
    config.FieldCount = analysis.FieldCount;
    config.RecordLength = analysis.RecordLength;
    if (analysis.FieldDelimiter)
        config.FieldDelimiter = *analysis.FieldDelimiter;
    config.ConfigChanged = kTrue;
}

std::string PortAnalyzeCaption(const Settings& settings) {
    static constexpr const char* kBauds[] = {"110",   "300",    "600",    "1200",  "2400",
                                             "4800",  "9600",   "14400",  "19200", "38400",
                                             "57600", "115200", "128000", "256000"};
    static constexpr const char* kParities[] = {"None", "Odd", "Even", "Mark", "Space"};
    static constexpr const char* kDataBits[] = {"Five", "Six", "Seven", "Eight"};
    static constexpr const char* kStopBits[] = {"1", "1.5", "2"};
    return "Port Analyze - " + PortName(settings.PortIndex) + ":" + captionOf(kBauds, settings.BaudIndex) +
           "," + captionOf(kParities, settings.ParityIndex) + "," +
           captionOf(kDataBits, settings.DataBitsIndex) + "," + captionOf(kStopBits, settings.StopBitsIndex);
}

} // namespace quorvane
