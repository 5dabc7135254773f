#include <charconv>

#include "config/ConfigFileFormat.h"
#include "config/ConfigLayout.h"

namespace quorvane {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Writes the line part of the current layout into a string.
class LineWriter {
public:
    explicit LineWriter(std::string& out) : m_out(out) {}

    // Numbers are written as the classic BASIC Print statement does: a blank for the sign of a
    // value of 0 or more, the digits, then a blank.
    void number(std::int64_t value) {
        if (value >= 0)
            m_out += ' ';
        appendDecimal(value);
        m_out += ' ';
        m_out += kLineEnd;
    }
    void number(const std::int16_t& value) { number(static_cast<std::int64_t>(value)); }
    void number(const std::int32_t& value) { number(static_cast<std::int64_t>(value)); }
    void code(const std::string& oneChar) { number(oneChar.empty() ? 0 : codeOf(oneChar[0])); }

    // A text line cannot hold a line end: CR and LF are left out so that the file stays readable.
    void text(const std::string& value) {
        for (char c : value) {
            if (c != '\r' && c != '\n')
                m_out += c;
        }
        m_out += kLineEnd;
    }

    void preInput(const std::string& entry) {
        if (entry == "Ignore" || entry == "Void Record") {
            text(entry);
            return;
        }
        m_out += ' ';
        appendDecimal(entry.empty() ? 0 : codeOf(entry[0]));
        m_out += kLineEnd;
    }

    void codeTable(const std::string& table) {
        for (std::size_t c = 0; c < kCharCodes; ++c)
            number(c < table.size() ? codeOf(table[c]) : 0);
    }

    void length(const std::string& value) { number(static_cast<std::int64_t>(value.size())); }

    void raw(const std::string& value) { m_out += value; }

    void appendDecimal(std::int64_t value) {
        char digits[24];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        m_out.append(digits, end);
    }

private:
    static std::int64_t codeOf(char c) { return static_cast<unsigned char>(c); }

    std::string& m_out;
};

} // namespace

std::string EncodeConfigFile(const Settings& settings) {
    std::string out;
    out.reserve(16 * 1024);
    out += kHeader3_00;
    out += kLineEnd;
    LineWriter writer(out);
    layout::visitLines(settings, writer);
    layout::visitRawBlock(settings, writer);
    writer.text(settings.DdeTopic);
    writer.appendDecimal(settings.KeystrokeDelay);
    out += kLineEnd;
    return out;
}

} // namespace quorvane
