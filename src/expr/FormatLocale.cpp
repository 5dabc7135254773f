#include "expr/FormatLocale.h"

#include <climits>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

namespace quorvane {

namespace {

// Locale texts come in the locale's codeset; the formatter works in single bytes. Narrow and thin
// no-break spaces (French, Swiss thousands separators) have no byte of their own: a no-break space
// stands in. toCodePage is null for a locale that is not UTF-8: its texts pass as they are.
std::string toSingleByte(std::string text, const FormatLocale::ToCodePage* toCodePage) {
    if (toCodePage == nullptr) {
        return text;
    }
    for (const std::string_view narrow : {"\u202F", "\u2009"}) {
        for (auto at = text.find(narrow); at != std::string::npos; at = text.find(narrow)) {
            text.replace(at, narrow.size(), "\u00A0");
        }
    }
    return (*toCodePage)(text);
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

void takeSeparator(char& target, const std::string& text, const FormatLocale::ToCodePage* toCodePage) {
    const std::string converted = toSingleByte(text, toCodePage);
    if (converted.size() == 1) {
        target = converted[0];
    }
}

} // namespace

std::optional<FormatLocale> FormatLocale::fromLocale(const char* name, const ToCodePage& toCodePage) {
    const LocaleHandle loc(name);
    if (!loc.valid()) {
        return std::nullopt;
    }
    const ToCodePage* utf8 = loc.text(CODESET) == "UTF-8" ? &toCodePage : nullptr;
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
