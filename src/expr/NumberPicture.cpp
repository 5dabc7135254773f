#include "expr/NumberPicture.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

enum class Kind { Zero, Hash, Point, Comma, Percent, Exponent, Literal, Skip };

struct Token {
    Kind TokenKind;
    std::string_view Text;
};

// Longer pictures are legal but gain nothing; the cap keeps the scaling shift small.
constexpr int kCountLimit = 10'000;

bool isPlaceholder(const Token& t) {
    return t.TokenKind == Kind::Zero || t.TokenKind == Kind::Hash;
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    bool seenPoint = false;
    bool seenExponent = false;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '"') {
            const auto close = s.find('"', i + 1);
            const auto end = close == std::string_view::npos ? s.size() : close;
            tokens.push_back({Kind::Literal, s.substr(i + 1, end - i - 1)});
            i = end + 1;
            continue;
        }
        if (c == '\\') {
            if (i + 1 < s.size()) {
                tokens.push_back({Kind::Literal, s.substr(i + 1, 1)});
            }
            i += 2;
            continue;
        }
        Kind kind = Kind::Literal;
        std::size_t length = 1;
        switch (c) {
        case '0':
            kind = Kind::Zero;
            break;
        case '#':
            kind = Kind::Hash;
            break;
        case '.':
            kind = seenPoint || seenExponent ? Kind::Literal : Kind::Point;
            seenPoint = true;
            break;
        case ',':
            kind = Kind::Comma;
            break;
        case '%':
            kind = Kind::Percent;
            break;
        case 'E':
        case 'e':
            if (!seenExponent && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
                kind = Kind::Exponent;
                length = 2;
                seenExponent = true;
            }
            break;
        default:
            break;
        }
        tokens.push_back({kind, s.substr(i, length)});
        i += length;
    }
    return tokens;
}

struct Layout {
    std::size_t IntegerEnd = 0;
    std::size_t FractionBegin = 0;
    std::size_t FractionEnd = 0;
    bool HasPoint = false;
    bool HasExponent = false;
    bool Grouping = false;
    int ScaleCommas = 0;
    int Percents = 0;
    int IntegerZeros = 0;
    int FractionPlaceholders = 0;
    int ExponentZeros = 0;
};

// Decides what each comma means: between digit placeholders it asks for thousands separators,
// after the last whole-part placeholder it divides by 1000, elsewhere in the whole part it is text.
Layout analyse(std::vector<Token>& tokens) {
    Layout l;
    const std::size_t n = tokens.size();
    std::size_t point = n;
    std::size_t exponent = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (tokens[i].TokenKind == Kind::Point) {
            point = i;
        } else if (tokens[i].TokenKind == Kind::Exponent) {
            exponent = i;
        }
    }
    l.HasPoint = point < n;
    l.HasExponent = exponent < n;
    l.IntegerEnd = std::min(point, exponent);
    l.FractionBegin = l.HasPoint ? point + 1 : l.IntegerEnd;
    l.FractionEnd = exponent;

    bool placeholderBefore = false;
    for (std::size_t i = 0; i < l.IntegerEnd; ++i) {
        Token& t = tokens[i];
        if (isPlaceholder(t)) {
            placeholderBefore = true;
            l.IntegerZeros += t.TokenKind == Kind::Zero ? 1 : 0;
        } else if (t.TokenKind == Kind::Comma) {
            const bool placeholderAfter =
                std::any_of(tokens.begin() + static_cast<long>(i) + 1,
                            tokens.begin() + static_cast<long>(l.IntegerEnd), isPlaceholder);
            if (placeholderAfter) {
                l.Grouping = true;
                t.TokenKind = Kind::Skip;
            } else if (placeholderBefore) {
                l.ScaleCommas = std::min(l.ScaleCommas + 1, kCountLimit);
                t.TokenKind = Kind::Skip;
            } else {
                t.TokenKind = Kind::Literal;
            }
        }
    }
    for (std::size_t i = l.FractionBegin; i < l.FractionEnd; ++i) {
        if (isPlaceholder(tokens[i])) {
            l.FractionPlaceholders = std::min(l.FractionPlaceholders + 1, kCountLimit);
        } else if (tokens[i].TokenKind == Kind::Comma) {
            tokens[i].TokenKind = Kind::Skip;
        }
    }
    for (std::size_t i = l.FractionEnd; i < n; ++i) {
        if (tokens[i].TokenKind == Kind::Zero) {
            ++l.ExponentZeros;
        } else if (tokens[i].TokenKind == Kind::Comma) {
            tokens[i].TokenKind = Kind::Literal;
        }
    }
    for (const Token& t : tokens) {
        if (t.TokenKind == Kind::Percent) {
            l.Percents = std::min(l.Percents + 1, kCountLimit);
        }
    }
    return l;
}

// Fills the placeholders of [begin, end) from the right with `digits`; digits beyond the
// placeholders go in front of the first one, so no digit of the number is ever lost.
void emitWhole(std::string& out, const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
               const std::string& digits, char separator, bool withoutPlaceholders) {
    const auto placeholders = static_cast<std::size_t>(std::count_if(
        tokens.begin() + static_cast<long>(begin), tokens.begin() + static_cast<long>(end), isPlaceholder));
    const std::size_t length = digits.size();
    auto emitDigit = [&](char d, std::size_t index) {
        out += d;
        if (separator != '\0' && index > 0 && index % 3 == 0) {
            out += separator;
        }
    };
    auto emitExtras = [&] {
        for (std::size_t k = 0; k + placeholders < length; ++k) {
            emitDigit(digits[k], length - 1 - k);
        }
    };
    std::size_t seen = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        if (isPlaceholder(t)) {
            if (seen == 0) {
                emitExtras();
            }
            const std::size_t position = placeholders - 1 - seen++;
            if (position < length) {
                emitDigit(digits[length - 1 - position], position);
            } else if (t.TokenKind == Kind::Zero) {
                emitDigit('0', position);
            }
        } else if (t.TokenKind == Kind::Literal || t.TokenKind == Kind::Percent) {
            out += t.Text;
        }
    }
    if (placeholders == 0 && withoutPlaceholders) {
        emitExtras();
    }
}

// Trailing # places show nothing when their digits are zero; 0 places always show.
void emitFraction(std::string& out, const std::vector<Token>& tokens, const Layout& l,
                  const DecimalDigits& number) {
    int last = 0;
    int index = 0;
    for (std::size_t i = l.FractionBegin; i < l.FractionEnd; ++i) {
        if (isPlaceholder(tokens[i])) {
            ++index;
            if (tokens[i].TokenKind == Kind::Zero || digitAt(number, -index) != '0') {
                last = index;
            }
        }
    }
    index = 0;
    for (std::size_t i = l.FractionBegin; i < l.FractionEnd; ++i) {
        const Token& t = tokens[i];
        if (isPlaceholder(t)) {
            ++index;
            if (index <= last) {
                out += digitAt(number, -index);
            }
        } else if (t.TokenKind == Kind::Literal || t.TokenKind == Kind::Percent) {
            out += t.Text;
        }
    }
}

} // namespace

NumberPictureResult formatNumberPicture(DecimalDigits number, std::string_view section, char point,
                                        char thousands) {
    std::vector<Token> tokens = tokenize(section);
    const Layout l = analyse(tokens);
    number.Negative = false;
    shiftPoint(number, 2 * l.Percents - 3 * l.ScaleCommas);

    int exponent = 0;
    if (l.HasExponent && !number.isZero()) {
        const int wholeDigits = std::max(1, l.IntegerZeros);
        exponent = number.PointPosition - wholeDigits;
        number.PointPosition = wholeDigits;
        roundToFraction(number, l.FractionPlaceholders);
        if (number.PointPosition > wholeDigits) {
            ++exponent;
            number.PointPosition = wholeDigits;
        }
    } else {
        roundToFraction(number, l.FractionPlaceholders);
    }

    NumberPictureResult result;
    result.ShowsZero = number.isZero();
    std::string& out = result.Text;
    emitWhole(out, tokens, 0, l.IntegerEnd, integerDigits(number), l.Grouping ? thousands : '\0',
              l.HasPoint || l.HasExponent);
    if (l.HasPoint) {
        out += point;
    }
    emitFraction(out, tokens, l, number);
    if (l.HasExponent) {
        const std::string_view marker = tokens[l.FractionEnd].Text;
        out += marker[0];
        if (exponent < 0) {
            out += '-';
        } else if (marker[1] == '+') {
            out += '+';
        }
        const int magnitude = exponent < 0 ? -exponent : exponent;
        const std::string digits = magnitude == 0 && l.ExponentZeros > 0 ? "" : std::to_string(magnitude);
        emitWhole(out, tokens, l.FractionEnd + 1, tokens.size(), digits, '\0', true);
    }
    return result;
}

} // namespace quorvane
