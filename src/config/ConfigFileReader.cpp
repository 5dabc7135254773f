#include <limits>
#include <map>

#include "config/ConfigFileFormat.h"
#include "config/ConfigItemReader.h"
#include "config/ConfigLayout.h"
#include "config/ConvertedLineEnds.h"

namespace quorvane {

namespace {

// Reads items into settings. The first item that cannot be read marks the file as damaged; every
// later read then does nothing, so a layout can be walked without checking each step.
class ItemVisitor {
public:
    ItemVisitor(ConfigItemReader& in, CountSeparator countSeparator, LineEndStyle lineEnds)
        : m_in(&in), m_countSeparator(countSeparator), m_lineEnds(lineEnds) {}

    bool ok() const { return m_ok; }
    const std::string& problem() const { return m_problem; }

    void number(std::int16_t& value) { readNumber(value); }
    void number(std::int32_t& value) { readNumber(value); }

    void skipNumber() {
        if (begin() && !m_in->number())
            fail("number expected");
    }

    void code(std::string& oneChar) {
        if (!begin())
            return;
        if (auto code = m_in->number(0, 255))
            oneChar.assign(1, static_cast<char>(*code));
        else
            fail("character code 0 to 255 expected");
    }

    void text(std::string& value) {
        if (!begin())
            return;
        if (auto line = m_in->line())
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
        auto line = m_in->line();
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
        auto text = m_in->counted(m_countSeparator);
        if (!text) {
            fail("counted string expected");
        } else if (m_lineEnds != LineEndStyle::CrLf && text->find_first_of("\r\n") != std::string::npos) {
            // Its count was taken before the conversion: whether a line end in it was once CR LF
            // cannot be told, nor where the string really ends.
            m_problem = ConvertedLineEndsProblem(m_lineEnds, "a byte string in it holds a line end");
            m_ok = false;
        } else {
            value = std::move(*text);
        }
    }

    // A converted file's raw block and last lines are read from their restored bytes, if the
    // lengths read so far allow only one way to restore them.
    void restoreConvertedTail() {
        if (!begin() || m_lineEnds == LineEndStyle::CrLf)
            return;
        std::size_t total = 0;
        for (const auto& entry : m_lengths)
            total += entry.second;
        RestoredTail restored = RestoreConvertedTail(m_in->remaining(), total, m_lineEnds);
        if (!restored.Bytes) {
            m_ok = false;
            m_problem = std::move(restored.Problem);
            return;
        }
        m_restored = std::move(*restored.Bytes);
        m_restoredReader.emplace(m_restored);
        m_in = &*m_restoredReader;
    }

    void oneCharThenSkipLine(std::string& value) {
        if (!begin())
            return;
        auto c = m_in->byte();
        if (!c) {
            fail("character expected, file ends");
            return;
        }
        value.assign(1, *c);
        m_in->skipLine();
    }

    // Length lines pair each raw string with its length; the raw block comes later.
    void length(std::string& value) {
        if (!begin())
            return;
        if (auto n = m_in->number(0, std::numeric_limits<std::int32_t>::max()))
            m_lengths[&value] = static_cast<std::size_t>(*n);
        else
            fail("string length expected");
    }

    void raw(std::string& value) {
        if (!begin())
            return;
        if (auto bytes = m_in->raw(m_lengths[&value]))
            value = std::move(*bytes);
        else
            fail("raw block ends early");
    }

    // The DdeTopic and KeystrokeDelay lines may be missing: an older file ends before them.
    void optionalTail(Settings& s) {
        if (!begin())
            return;
        if (auto topic = m_in->line()) {
            s.DdeTopic = std::move(*topic);
            auto delay = m_in->line();
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
        if (auto n = m_in->number(std::numeric_limits<T>::min(), std::numeric_limits<T>::max()))
            value = static_cast<T>(*n);
        else
            fail(sizeof(T) == 2 ? "16-bit number expected" : "32-bit number expected");
    }

    // Notes where the item begins, for the message; false once the file is known to be damaged.
    bool begin() {
        m_itemStart = m_in->position();
        return m_ok;
    }

    void fail(const char* what) {
        m_ok = false;
        m_problem = "line " + std::to_string(m_in->lineNumberAt(m_itemStart)) + ": " + what;
    }

    ConfigItemReader* m_in;
    CountSeparator m_countSeparator;
    LineEndStyle m_lineEnds;
    std::string m_restored;
    std::optional<ConfigItemReader> m_restoredReader;
    bool m_ok = true;
    std::size_t m_itemStart = 0;
    std::string m_problem;
    std::map<const std::string*, std::size_t> m_lengths;
};

void readCurrentLayout(ItemVisitor& v, Settings& s) {
    layout::visitLines(s, v);
    v.restoreConvertedTail();
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
    ItemVisitor visitor(in, countSeparator, HeaderLineEnd(bytes));
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

std::string HeaderProblem(std::string_view bytes) {
    std::string_view first = bytes.substr(0, headerEnd(bytes));
    if (first.substr(0, 3) == "\xEF\xBB\xBF")
        return "it begins with a byte order mark (EF BB BF) before its first line; save it again without one";
    const std::size_t last = first.find_last_not_of(" \t");
    if (last != std::string_view::npos && last + 1 < first.size() &&
        DetectLayout(first.substr(0, last + 1)) != ConfigLayout::None)
        return "its first line has blanks after the header; remove them";
    if (bytes.empty())
        return "the file is empty";
    std::string shown;
    for (char c : first.substr(0, 60))
        shown += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) ? '?' : c;
    return "its first line \"" + shown + (first.size() > 60 ? "..." : "") +
           "\" is not a configuration file header (\"" + std::string(kHeader3_00) + "\")";
}

ConfigDecodeResult DecodeConfigFile(std::string_view bytes, Settings& settings) {
    ConfigDecodeResult result;
    result.Layout = DetectLayout(bytes);
    if (result.Layout == ConfigLayout::None) {
        result.Problem = HeaderProblem(bytes);
        return result;
    }

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
