#include "engine/FormatLocale.h"

#include <climits>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

namespace quorvane {

namespace {

// Windows-1252 bytes 0x80..0x9F and the code points they stand for (0 where the byte is unassigned).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byteForCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp && cp != 0) {
            return static_cast<char>(0x80 + i);
        }
    }
    // Narrow and thin no-break spaces (French, Swiss thousands separators) have no byte of their own.
    if (cp == 0x202F || cp == 0x2009) {
        return static_cast<char>(0xA0);
    }
    return '?';
}

// Locale texts come in the locale's codeset; the formatter works in single bytes.
std::string toSingleByte(std::string_view text, bool utf8) {
    if (!utf8) {
        return std::string(text);
    }
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        out += byteForCodePoint(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

class LocaleHandle {
public:
    explicit LocaleHandle(const char* name) : m_locale(newlocale(LC_ALL_MASK, name, nullptr)) {}
    ~LocaleHandle() {
        if (m_locale != nullptr) {
            freelocale(m_locale);
        }
    }
    LocaleHandle(const LocaleHandle&) = delete;
    LocaleHandle& operator=(const LocaleHandle&) = delete;

    bool valid() const { return m_locale != nullptr; }
    std::string text(nl_item item) const {
        const char* s = nl_langinfo_l(item, m_locale);
        return s == nullptr ? std::string() : std::string(s);
    }
    // The numeric items of LC_MONETARY come as one char; CHAR_MAX means "not set".
    int small(nl_item item) const {
        const char* s = nl_langinfo_l(item, m_locale);
        return s == nullptr ? CHAR_MAX : static_cast<int>(static_cast<signed char>(*s));
    }

private:
    locale_t m_locale;
};

void takeSeparator(char& target, const std::string& text, bool utf8) {
    const std::string converted = toSingleByte(text, utf8);
    if (converted.size() == 1) {
        target = converted[0];
    }
}

} // namespace

std::optional<FormatLocale> FormatLocale::fromLocale(const char* name) {
    const LocaleHandle loc(name);
    if (!loc.valid()) {
        return std::nullopt;
    }
    const bool utf8 = loc.text(CODESET) == "UTF-8";
    FormatLocale result;

    takeSeparator(result.DecimalPoint, loc.text(RADIXCHAR), utf8);
    takeSeparator(result.ThousandsSeparator, loc.text(THOUSEP), utf8);
    takeSeparator(result.MonetaryDecimalPoint, loc.text(MON_DECIMAL_POINT), utf8);
    takeSeparator(result.MonetaryThousandsSeparator, loc.text(MON_THOUSANDS_SEP), utf8);
    // The "C" locale has no thousands separator; one that equals the decimal point would make
    // numbers unreadable, so the other of "." and "," stands in.
    if (result.ThousandsSeparator == result.DecimalPoint) {
        result.ThousandsSeparator = result.DecimalPoint == ',' ? '.' : ',';
    }
    if (result.MonetaryDecimalPoint == result.MonetaryThousandsSeparator) {
        result.MonetaryThousandsSeparator = result.MonetaryDecimalPoint == ',' ? '.' : ',';
    }

    const std::string symbol = toSingleByte(loc.text(CURRENCY_SYMBOL), utf8);
    if (!symbol.empty()) {
        result.CurrencySymbol = symbol;
    }
    auto takeSmall = [&](int& target, nl_item item, int low, int high) {
        const int v = loc.small(item);
        if (v >= low && v <= high) {
            target = v;
        }
    };
    auto takeFlag = [&](bool& target, nl_item item) {
        const int v = loc.small(item);
        if (v == 0 || v == 1) {
            target = v == 1;
        }
    };
    takeSmall(result.CurrencyDecimals, FRAC_DIGITS, 0, 9);
    takeFlag(result.CurrencyPrecedes, P_CS_PRECEDES);
    takeSmall(result.CurrencySpacing, P_SEP_BY_SPACE, 0, 2);
    takeFlag(result.NegativeCurrencyPrecedes, N_CS_PRECEDES);
    takeSmall(result.NegativeCurrencySpacing, N_SEP_BY_SPACE, 0, 2);
    takeSmall(result.NegativeSignPosition, N_SIGN_POSN, 0, 4);
    return result;
}

} // namespace quorvane
