#include "expr/ValRule.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace quorvane {

namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;
// Exponent digits past this many cannot change whether a double overflows.
constexpr std::int64_t kExponentCap = 100000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix) {
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < radix ? digit : -1;
}

// Walks a text for the val rule, stepping over the blanks it ignores wherever they are.
class ValCursor {
public:
    explicit ValCursor(std::string_view text) : m_text(text) {}

    char peek() {
        while (m_pos < m_text.size() && isValBlank(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    bool atEnd() {
        peek();
        return m_pos >= m_text.size();
    }
    void skip() { ++m_pos; }
    std::size_t position() const { return m_pos; }
    void rewind(std::size_t position) { m_pos = position; }

private:
    static bool isValBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The value of a radix literal's digits: 16-bit signed when it fits and has no "&" suffix.
std::optional<double> radixLiteralValue(std::uint64_t digits, bool overflow, bool longSuffix) {
    if (overflow)
        return std::nullopt;
    if (!longSuffix && digits <= 0xFFFFu)
        return static_cast<double>(digits >= 0x8000u ? static_cast<std::int64_t>(digits) - 0x10000
                                                     : static_cast<std::int64_t>(digits));
    return static_cast<double>(digits >= 0x80000000u ? static_cast<std::int64_t>(digits) - 0x100000000
                                                     : static_cast<std::int64_t>(digits));
}

// Reads the digits of a radix literal after "&H"/"&O"; the cursor stops after an "&" suffix.
std::optional<double> readRadixLiteral(ValCursor& cursor, int radix) {
    std::uint64_t digits = 0;
    bool overflow = false;
    for (int digit = digitValue(cursor.peek(), radix); !cursor.atEnd() && digit >= 0;
         digit = digitValue(cursor.peek(), radix)) {
        digits = digits * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (digits > kMax32) {
            overflow = true;
            digits = kMax32; // keeps the accumulator from wrapping
        }
        cursor.skip();
    }
    const bool longSuffix = !cursor.atEnd() && cursor.peek() == '&';
    if (longSuffix)
        cursor.skip();
    return radixLiteralValue(digits, overflow, longSuffix);
}

// Converts "digits[.digits][e[sign]digits]" (no blanks, no sign) to a double; std::nullopt on
// overflow, 0 on underflow.
std::optional<double> decimalValue(const std::string& spelling, std::int64_t decimalExponentHint) {
    double number = 0;
    const auto result = std::from_chars(spelling.data(), spelling.data() + spelling.size(), number);
    if (result.ec == std::errc::result_out_of_range)
        return decimalExponentHint > 0 ? std::nullopt : std::optional<double>(0.0);
    if (result.ec != std::errc())
        return 0.0;
    return number;
}

// Reads an unsigned decimal number from the cursor, blanks ignored. The exponent is taken only
// when at least one digit follows the exponent letter and its sign.
std::optional<double> readDecimal(ValCursor& cursor, bool allowDExponent) {
    std::string spelling;
    bool seenPoint = false;
    bool seenDigit = false;
    std::int64_t integerDigits = 0; // significant digits before the point
    std::int64_t leadingFractionZeros = 0;
    bool seenNonZero = false;
    while (!cursor.atEnd()) {
        const char c = cursor.peek();
        if (isDigit(c)) {
            seenDigit = true;
            if (c != '0' || seenNonZero) {
                if (!seenPoint)
                    ++integerDigits;
                seenNonZero = true;
            } else if (seenPoint) {
                ++leadingFractionZeros;
            }
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        spelling.push_back(c);
        cursor.skip();
    }
    if (!seenDigit)
        return 0.0;

    std::int64_t exponent = 0;
    if (!cursor.atEnd()) {
        const char letter = cursor.peek();
        const bool isExponent =
            letter == 'E' || letter == 'e' || (allowDExponent && (letter == 'D' || letter == 'd'));
        if (isExponent) {
            const std::size_t beforeExponent = cursor.position();
            cursor.skip();
            std::string exponentSpelling = "e";
            bool negative = false;
            if (!cursor.atEnd() && (cursor.peek() == '+' || cursor.peek() == '-')) {
                negative = cursor.peek() == '-';
                exponentSpelling.push_back(cursor.peek());
                cursor.skip();
            }
            bool exponentDigits = false;
            while (!cursor.atEnd() && isDigit(cursor.peek())) {
                exponentDigits = true;
                if (exponent < kExponentCap) {
                    exponent = exponent * 10 + (cursor.peek() - '0');
                    exponentSpelling.push_back(cursor.peek());
                }
                cursor.skip();
            }
            if (exponentDigits) {
                spelling += exponentSpelling;
                if (negative)
                    exponent = -exponent;
            } else {
                cursor.rewind(beforeExponent);
                exponent = 0;
            }
        }
    }
    const std::int64_t magnitude =
        seenNonZero ? (integerDigits > 0 ? integerDigits : -leadingFractionZeros) : 0;
    return decimalValue(spelling, magnitude + exponent);
}

std::optional<double> applySign(std::optional<double> number, bool negative) {
    if (!number)
        return number;
    if (*number == 0)
        return 0.0; // no negative zero
    return negative ? -*number : *number;
}

bool isStrictBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::optional<double> TryVal(std::string_view text) {
    ValCursor cursor(text);
    bool negative = false;
    if (!cursor.atEnd() && (cursor.peek() == '+' || cursor.peek() == '-')) {
        negative = cursor.peek() == '-';
        cursor.skip();
    }
    if (cursor.atEnd())
        return 0.0;
    if (cursor.peek() == '&') {
        cursor.skip();
        const char letter = cursor.peek();
        int radix = 0;
        if (letter == 'H' || letter == 'h')
            radix = 16;
        else if (letter == 'O' || letter == 'o')
            radix = 8;
        if (radix == 0 || cursor.atEnd())
            return 0.0;
        cursor.skip();
        return applySign(readRadixLiteral(cursor, radix), negative);
    }
    return applySign(readDecimal(cursor, true), negative);
}

double Val(std::string_view text) {
    return TryVal(text).value_or(0.0);
}

std::optional<double> NumberAtStart(std::string_view text) {
    ValCursor cursor(text);
    if (!cursor.atEnd() && (cursor.peek() == '+' || cursor.peek() == '-'))
        cursor.skip();
    if (cursor.atEnd())
        return std::nullopt;
    int radix = 10;
    if (cursor.peek() == '.') {
        cursor.skip();
    } else if (cursor.peek() == '&') {
        cursor.skip();
        const char letter = cursor.atEnd() ? '\0' : cursor.peek();
        radix = (letter == 'H' || letter == 'h') ? 16 : (letter == 'O' || letter == 'o') ? 8 : 0;
        if (radix == 0)
            return std::nullopt;
        cursor.skip();
    }
    if (cursor.atEnd() || digitValue(cursor.peek(), radix) < 0)
        return std::nullopt;
    return TryVal(text);
}

std::optional<double> StrictNumber(std::string_view text) {
    while (!text.empty() && isStrictBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isStrictBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    // Inner blanks, which the val rule would skip, make the text something other than a number.
    for (const char c : text) {
        if (isStrictBlank(c))
            return std::nullopt;
    }

    ValCursor cursor(text);
    std::optional<double> number;
    if (text.size() >= 2 && text[0] == '&') {
        const char letter = text[1];
        const int radix = (letter == 'H' || letter == 'h') ? 16 : (letter == 'O' || letter == 'o') ? 8 : 0;
        if (radix == 0 || text.size() < 3 || digitValue(text[2], radix) < 0)
            return std::nullopt;
        cursor.skip();
        cursor.skip();
        number = readRadixLiteral(cursor, radix);
    } else {
        bool negative = false;
        if (text[0] == '+' || text[0] == '-') {
            negative = text[0] == '-';
            cursor.skip();
        }
        // A number needs a digit before the exponent: "-", "." and "+.e1" are not numbers.
        const std::string_view mantissa = text.substr(cursor.position());
        const std::size_t firstDigit = mantissa.find_first_of("0123456789");
        const std::size_t firstOther = mantissa.find_first_not_of("0123456789.");
        if (firstDigit == std::string_view::npos ||
            (firstOther != std::string_view::npos && firstDigit > firstOther))
            return std::nullopt;
        number = applySign(readDecimal(cursor, false), negative);
    }
    if (!cursor.atEnd())
        return std::nullopt; // something other than the number follows it
    return number;
}

} // namespace quorvane
