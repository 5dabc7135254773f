#include <limits>
#include <map>

#include "config/ConfigFileFormat.h"
#include "config/ConfigItemReader.h"
#include "config/ConfigLayout.h"

namespace quorvane {

namespace {

// Reads items into settings. The first item that cannot be read marks the file as damaged; every
// later read then does nothing, so a layout can be walked without checking each step.
class ItemVisitor {
public:
    ItemVisitor(ConfigItemReader& in, CountSeparator countSeparator)
        : m_in(in), m_countSeparator(countSeparator) {}

    bool ok() const { return m_ok; }
    const std::string& problem() const { return m_problem; }

    void number(std::int16_t& value) { readNumber(value); }
    void number(std::int32_t& value) { readNumber(value); }

    void skipNumber() {
        if (begin() && !m_in.number())
            fail("number expected");
    }

    void code(std::string& oneChar) {
        if (!begin())
            return;
        if (auto code = m_in.number(0, 255))
            oneChar.assign(1, static_cast<char>(*code));
        else
            fail("character code 0 to 255 expected");
    }

    void text(std::string& value) {
        if (!begin())
            return;
        if (auto line = m_in.line())
            value = std::move(*line);
        else
            fail("text line expected, file ends");
    }

    void skipLine() {
        std::string ignored;
        text(ignored);
    }

    void preInput(std::string& entry) {
        if (!begin())
            return;
        auto line = m_in.line();
        if (!line) {
            fail("pre-input entry expected, file ends");
            return;
        }
        if (*line == "Ignore" || *line == "Void Record") {
            entry = std::move(*line);
            return;
        }
        ConfigItemReader lineReader(*line);
        auto code = lineReader.number(0, 255);
        if (!code || !lineReader.atEnd()) {
            fail("pre-input entry is neither a character code nor Ignore or Void Record");
            return;
        }
        entry.assign(1, static_cast<char>(*code));
    }

    void codeTable(std::string& table) {
        table.assign(kCharCodes, '\0');
        for (std::size_t c = 0; c < kCharCodes && m_ok; ++c) {
            std::string one;
            code(one);
            if (m_ok)
                table[c] = one[0];
        }
    }

    void counted(std::string& value) {
        if (!begin())
            return;
        if (auto text = m_in.counted(m_countSeparator))
            value = std::move(*text);
        else
            fail("counted string expected");
    }

    void oneCharThenSkipLine(std::string& value) {
        if (!begin())
            return;
        auto c = m_in.byte();
        if (!c) {
            fail("character expected, file ends");
            return;
        }
        value.assign(1, *c);
        m_in.skipLine();
    }

    // Length lines pair each raw string with its length; the raw block comes later.
    void length(std::string& value) {
        if (!begin())
            return;
        if (auto n = m_in.number(0, std::numeric_limits<std::int32_t>::max()))
            m_lengths[&value] = static_cast<std::size_t>(*n);
        else
            fail("string length expected");
    }

    void raw(std::string& value) {
        if (!begin())
            return;
        if (auto bytes = m_in.raw(m_lengths[&value]))
            value = std::move(*bytes);
        else
            fail("raw block ends early");
    }

    // The DdeTopic and KeystrokeDelay lines may be missing: an older file ends before them.
    void optionalTail(Settings& s) {
        if (!begin())
            return;
        if (auto topic = m_in.line()) {
            s.DdeTopic = std::move(*topic);
            auto delay = m_in.line();
            s.KeystrokeDelay = delay ? leadingInteger(*delay).value_or(0) : 0;
        } else {
            s.KeystrokeDelay = 0;
        }
    }

private:
    template <typename T>
    void readNumber(T& value) {
        if (!begin())
            return;
        if (auto n = m_in.number(std::numeric_limits<T>::min(), std::numeric_limits<T>::max()))
            value = static_cast<T>(*n);
        else
            fail(sizeof(T) == 2 ? "16-bit number expected" : "32-bit number expected");
    }

    // Notes where the item begins, for the message; false once the file is known to be damaged.
    bool begin() {
        m_itemStart = m_in.position();
        return m_ok;
    }

    void fail(const char* what) {
        m_ok = false;
        m_problem = "line " + std::to_string(m_in.lineNumberAt(m_itemStart)) + ": " + what;
    }

    ConfigItemReader& m_in;
    CountSeparator m_countSeparator;
    bool m_ok = true;
    std::size_t m_itemStart = 0;
    std::string m_problem;
    std::map<const std::string*, std::size_t> m_lengths;
};

void readCurrentLayout(ItemVisitor& v, Settings& s) {
    layout::visitLines(s, v);
    layout::visitRawBlock(s, v);
    v.optionalTail(s);
}

void read2_00Layout(ItemVisitor& v, Settings& s) {
    layout::visitPortAndRecord(s, v);
    v.oneCharThenSkipLine(s.FieldDelimiter);
    layout::visitTargetsAndTables(s, v);
    v.counted(s.AckString);
    v.counted(s.TimerString);
    v.number(s.TimerInterval);
    v.number(s.TimerFlags);
    v.counted(s.RecordPreamble);
    for (std::size_t i = 1; i <= kOutputStringCount; ++i) {
        // This layout numbered its button captions from 0.
        v.text(s.OutputStringName[i - 1]);
        v.counted(s.OutputString[i]);
        v.text(s.FieldFilter[i]);
        v.number(s.FieldLength[i]);
        v.counted(s.FieldPostamble[i]);
        v.text(s.FieldFilter[i + 20]);
        v.number(s.FieldLength[i + 20]);
        v.counted(s.FieldPostamble[i + 20]);
        v.text(s.FieldFormat[i]);
        v.text(s.FieldFormat[i + 20]);
    }
    layout::visitLogLinksAndDisplay(s, v);
    v.counted(s.StartOfRecordChars);
    v.counted(s.EndOfRecordChars);
    v.optionalTail(s);
}

void read1_1Layout(ItemVisitor& v, Settings& s) {
    v.number(s.PortIndex);
    v.number(s.BaudIndex);
    v.number(s.ParityIndex);
    v.number(s.DataBitsIndex);
    v.number(s.StopBitsIndex);
    v.number(s.FlowControl);
    v.number(s.InputBufferSize);
    v.number(s.BeepOnInput);
    v.number(s.OutputMode);
    v.number(s.TimeBetweenRecords);
    v.number(s.EndOfRecordEvent);
    v.number(s.RecordStructure);
    v.number(s.RecordLength);
    v.number(s.FieldCount);
    v.text(s.FieldDelimiter);
    v.text(s.TargetAppTitle);
    v.text(s.TargetAppCommand);
    v.number(s.ActivateTargetApp);
    v.text(s.DdeCommandApp);
    v.text(s.DdeCommandTopic);
    v.text(s.DdeCommand);
    v.skipLine();
    for (auto& entry : s.KeystrokeTranslation)
        v.text(entry);
    v.counted(s.AckString);
    v.text(s.RecordPreamble);
    for (std::size_t i = 1; i <= kOutputStringCount; ++i) {
        v.text(s.OutputStringName[i]);
        v.counted(s.OutputString[i]);
        v.text(s.FieldFilter[i]);
        v.number(s.FieldLength[i]);
        v.text(s.FieldPostamble[i]);
        v.text(s.FieldFilter[i + 20]);
        v.number(s.FieldLength[i + 20]);
        v.text(s.FieldPostamble[i + 20]);
    }
    v.counted(s.TimerString);
    v.number(s.TimerInterval);
    v.number(s.TimerFlags);
    v.number(s.ButtonFlags);
    v.skipNumber();
}

// Files of this layout kept the DDE command in the postambles: the last non-empty postamble of
// the fields in use becomes the command.
void moveDdeCommandFromPostambles(Settings& s) {
    if (s.OutputMode != 1)
        return;
    const int last = std::min<int>(s.FieldCount, kMaxFields);
    for (int i = 1; i <= last; ++i) {
        const auto& postamble = s.FieldPostamble[static_cast<std::size_t>(i)];
        if (!postamble.empty())
            s.DdeCommand = postamble;
    }
}

std::size_t headerEnd(std::string_view bytes) {
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return end;
}

// Reads the items after the header over a copy of `settings` into `read`; the problem found, or
// empty when the file was read whole.
std::string decodeBody(std::string_view bytes, ConfigDecodeResult& result, const Settings& settings,
                       Settings& read, CountSeparator countSeparator) {
    ConfigItemReader in(bytes);
    in.skipLine();
    read = settings;
    result.Note.reset();
    ItemVisitor visitor(in, countSeparator);
    switch (result.Layout) {
    case ConfigLayout::V1_1:
        read1_1Layout(visitor, read);
        if (visitor.ok()) {
            if (!in.atEnd())
                result.Note = in.line();
            moveDdeCommandFromPostambles(read);
        }
        break;
    case ConfigLayout::V2_00:
        read2_00Layout(visitor, read);
        break;
    default:
        readCurrentLayout(visitor, read);
        break;
    }
    return visitor.ok() ? std::string() : visitor.problem();
}

} // namespace

ConfigLayout DetectLayout(std::string_view bytes) {
    const std::string_view header = bytes.substr(0, headerEnd(bytes));
    if (header == kHeader1_1)
        return ConfigLayout::V1_1;
    if (header == kHeader2_00)
        return ConfigLayout::V2_00;
    if (header == kHeader3_00)
        return ConfigLayout::V3_00;
    if (header == kHeaderGeneric)
        return ConfigLayout::Generic;
    return ConfigLayout::None;
}

ConfigDecodeResult DecodeConfigFile(std::string_view bytes, Settings& settings) {
    ConfigDecodeResult result;
    result.Layout = DetectLayout(bytes);
    if (result.Layout == ConfigLayout::None)
        return result;

    Settings read;
    std::string problem = decodeBody(bytes, result, settings, read, CountSeparator::One);
    // The older layouts' counted strings were written both with and without blanks and a line end
    // between the count and the bytes; a file that fails one way is tried the other way.
    if (!problem.empty() && (result.Layout == ConfigLayout::V1_1 || result.Layout == ConfigLayout::V2_00) &&
        decodeBody(bytes, result, settings, read, CountSeparator::NumberItem).empty())
        problem.clear();
    if (!problem.empty()) {
        result.Outcome = ConfigDecodeResult::Status::Damaged;
        result.Problem = std::move(problem);
        result.Note.reset();
        return result;
    }
    settings = std::move(read);
    result.Outcome = ConfigDecodeResult::Status::Ok;
    return result;
}

std::optional<std::int16_t> PeekPortIndex(std::string_view bytes) {
    if (DetectLayout(bytes) == ConfigLayout::None)
        return std::nullopt;
    ConfigItemReader in(bytes);
    in.skipLine();
    auto value =
        in.number(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int16_t>(*value);
}

} // namespace quorvane
