#pragma once
// The user's conventions for writing numbers, money and dates, read once and handed to the formatter.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// Separators, currency style and date words the value formats use; bytes in the single-byte code page.
/// The defaults are the conventions of the "C" locale as this program reads it (US English).
struct FormatLocale {
    /// Decimal separator of plain numbers (LC_NUMERIC).
    char DecimalPoint = '.';
    /// Thousands separator of plain numbers; the default stands in when the locale has none.
    char ThousandsSeparator = ',';
    /// Decimal separator of money (LC_MONETARY).
    char MonetaryDecimalPoint = '.';
    /// Thousands separator of money.
    char MonetaryThousandsSeparator = ',';
    /// Local currency symbol.
    std::string CurrencySymbol = "$";
    /// Decimals of money.
    int CurrencyDecimals = 2;
    /// The symbol stands before a non-negative amount.
    bool CurrencyPrecedes = true;
    /// 0 no space, 1 a space between symbol and amount, 2 a space between sign and symbol (POSIX).
    int CurrencySpacing = 0;
    /// The symbol stands before a negative amount.
    bool NegativeCurrencyPrecedes = true;
    /// Spacing of a negative amount, as CurrencySpacing.
    int NegativeCurrencySpacing = 0;
    /// Where the minus goes: 0 parentheses, 1 before all, 2 after all, 3 before the symbol, 4 after it.
    int NegativeSignPosition = 1;

    /// Date separator that "/" stands for in date pictures.
    char DateSeparator = '/';
    /// Time separator that ":" stands for in date pictures.
    char TimeSeparator = ':';
    /// Picture of the short date (ddddd, "Short Date").
    std::string ShortDate = "m/d/yyyy";
    /// Picture of the long date (dddddd, "Long Date").
    std::string LongDate = "dddd, mmmm d, yyyy";
    /// Picture of the long time (ttttt, "Long Time").
    std::string LongTime = "h:nn:ss AM/PM";
    /// What AMPM writes before noon.
    std::string AmText = "AM";
    /// What AMPM writes from noon on.
    std::string PmText = "PM";
    /// January first.
    std::array<std::string, 12> MonthNames{"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    /// Jan first.
    std::array<std::string, 12> MonthAbbreviations{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    /// Sunday first.
    std::array<std::string, 7> DayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    /// Sun first.
    std::array<std::string, 7> DayAbbreviations{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

    /// Turns a UTF-8 text into bytes of the single-byte code page (the code page is not ours to know).
    using ToCodePage = std::function<std::string(std::string_view utf8)>;

    /// Reads LC_NUMERIC and LC_MONETARY of the named locale ("" = the user's environment) without
    /// touching the process locale; nullopt when the locale does not exist. Items the locale leaves
    /// unset keep their defaults; the texts of a UTF-8 locale go through toCodePage.
    static std::optional<FormatLocale> fromLocale(const char* name, const ToCodePage& toCodePage);
};

} // namespace quorvane
