#include "expr/NumericText.h"

#include "expr/ValRule.h"

#include <charconv>
#include <cmath>
#include <string>

namespace quorvane {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    void skipBlanks() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t')) {
            ++m_pos;
        }
    }
    bool take(char c) {
        if (!atEnd() && peek() == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool take(std::string_view s) {
        if (!s.empty() && m_text.substr(m_pos, s.size()) == s) {
            m_pos += s.size();
            return true;
        }
        return false;
    }
    bool takeDigit(std::string& into) {
        if (!atEnd() && peek() >= '0' && peek() <= '9') {
            into += m_text[m_pos++];
            return true;
        }
        return false;
    }
    std::string_view rest() const { return m_text.substr(m_pos); }
    void skip(std::size_t n) { m_pos += n; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::optional<double> numberFromText(std::string_view text, const FormatLocale& locale) {
    Reader in(text);
    const std::string_view currency = locale.CurrencySymbol;
    in.skipBlanks();
    bool sawCurrency = in.take(currency);
    in.skipBlanks();
    bool negative = false;
    bool sawSign = false;
    const bool parenthesised = in.take('(');
    if (!parenthesised && (in.peek() == '+' || in.peek() == '-')) {
        negative = in.peek() == '-';
        sawSign = true;
        in.skip(1);
    }
    in.skipBlanks();
    if (!sawCurrency && in.take(currency)) {
        sawCurrency = true;
        in.skipBlanks();
    }

    std::optional<double> value;
    if (in.peek() == '&') {
        // An &H or &O literal is the rest of the text.
        value = StrictNumber(in.rest());
        if (!value) {
            return std::nullopt;
        }
        return negative ? -*value : *value;
    }
    {
        // Thousands separators count wherever they stand in the whole part, as users have always
        // been able to type them; they carry no value.
        std::string normal;
        bool anyDigit = false;
        while (true) {
            if (in.takeDigit(normal)) {
                anyDigit = true;
            } else if (!in.take(locale.ThousandsSeparator)) {
                break;
            }
        }
        if (in.take(locale.DecimalPoint)) {
            normal += '.';
            while (in.takeDigit(normal)) {
                anyDigit = true;
            }
        }
        if (!anyDigit) {
            return std::nullopt;
        }
        const char e = in.peek();
        if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
            in.skip(1);
            normal += 'e';
            if (in.peek() == '+' || in.peek() == '-') {
                normal += in.peek();
                in.skip(1);
            }
            if (!in.takeDigit(normal)) {
                return std::nullopt;
            }
            while (in.takeDigit(normal)) {
            }
        }
        double parsed = 0;
        const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
        if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(parsed)) {
            return std::nullopt;
        }
        value = parsed;
    }

    in.skipBlanks();
    if (!sawCurrency && in.take(currency)) {
        in.skipBlanks();
    }
    if (!parenthesised && !sawSign && (in.peek() == '+' || in.peek() == '-')) {
        negative = in.peek() == '-';
        in.skip(1);
        in.skipBlanks();
    }
    if (parenthesised) {
        if (!in.take(')')) {
            return std::nullopt;
        }
        negative = true;
        in.skipBlanks();
    }
    if (!in.atEnd()) {
        return std::nullopt;
    }
    return negative ? -*value : *value;
}

} // namespace quorvane
