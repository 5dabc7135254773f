#include "expr/DatePicture.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvane {

namespace {

enum class Code {
    Literal,
    General,
    Day,
    Day2,
    DayAbbrev,
    DayName,
    ShortDate,
    LongDate,
    Weekday,
    Week,
    Month,
    Month2,
    MonthAbbrev,
    MonthName,
    Quarter,
    DayOfYear,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    LongTime,
    AmPm,
    AmPmLocale,
    DateSeparator,
    TimeSeparator
};

struct Token {
    Code TokenCode;
    std::string_view Text;  // literal text, or the before-noon marker of AM/PM
    std::string_view After; // the afternoon marker of AM/PM
};

constexpr std::int64_t kMinSerialDay = -657434; // 1 January 100
constexpr std::int64_t kMaxSerialDay = 2958465; // 31 December 9999
constexpr int kMaxNesting = 2;

// Days since 1 January 1970 in the proleptic Gregorian calendar (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

const std::int64_t kSerialEpoch = daysFromCivil(1899, 12, 30);

int clampIndex(int v, int low, int high) {
    return v < low ? low : v > high ? high : v;
}

// Sunday 0 .. Saturday 6.
int weekday(const LocalDateTime& t) {
    const std::int64_t days = daysFromCivil(t.Year, clampIndex(t.Month, 1, 12), t.Day);
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

int dayOfYear(const LocalDateTime& t) {
    return static_cast<int>(daysFromCivil(t.Year, clampIndex(t.Month, 1, 12), t.Day) -
                            daysFromCivil(t.Year, 1, 1)) +
           1;
}

// Weeks start on Sunday and week 1 is the one holding 1 January.
int weekOfYear(const LocalDateTime& t) {
    LocalDateTime first = t;
    first.Month = 1;
    first.Day = 1;
    return (dayOfYear(t) - 1 + weekday(first)) / 7 + 1;
}

std::string twoDigits(int v) {
    v = v < 0 ? -v : v;
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

// No code is longer than six letters: counting further would make a long run of one letter cost
// the square of its length.
constexpr std::size_t kLongestCode = 6;

std::size_t runLength(std::string_view s, std::size_t i) {
    const char lower = static_cast<char>(s[i] | 0x20);
    std::size_t n = 0;
    while (n < kLongestCode && i + n < s.size() && static_cast<char>(s[i + n] | 0x20) == lower) {
        ++n;
    }
    return n;
}

bool matchesNoCase(std::string_view s, std::size_t i, std::string_view lower) {
    if (s.size() - i < lower.size()) {
        return false;
    }
    for (std::size_t k = 0; k < lower.size(); ++k) {
        if ((s[i + k] | 0x20) != lower[k]) {
            return false;
        }
    }
    return true;
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '"') {
            const auto close = s.find('"', i + 1);
            const auto end = close == std::string_view::npos ? s.size() : close;
            tokens.push_back({Code::Literal, s.substr(i + 1, end - i - 1), {}});
            i = end + 1;
            continue;
        }
        if (c == '\\') {
            if (i + 1 < s.size()) {
                tokens.push_back({Code::Literal, s.substr(i + 1, 1), {}});
            }
            i += 2;
            continue;
        }
        if (matchesNoCase(s, i, "am/pm")) {
            tokens.push_back({Code::AmPm, s.substr(i, 2), s.substr(i + 3, 2)});
            i += 5;
            continue;
        }
        if (matchesNoCase(s, i, "a/p")) {
            tokens.push_back({Code::AmPm, s.substr(i, 1), s.substr(i + 2, 1)});
            i += 3;
            continue;
        }
        if (matchesNoCase(s, i, "ampm")) {
            tokens.push_back({Code::AmPmLocale, {}, {}});
            i += 4;
            continue;
        }
        const std::size_t run = runLength(s, i);
        auto take = [&](Code code, std::size_t length) {
            tokens.push_back({code, s.substr(i, length), {}});
            i += length;
        };
        switch (c | 0x20) {
        case 'c':
            take(Code::General, 1);
            break;
        case 'd': {
            static constexpr Code kDays[] = {Code::Day,     Code::Day2,      Code::DayAbbrev,
                                             Code::DayName, Code::ShortDate, Code::LongDate};
            const std::size_t n = run < 6 ? run : 6;
            take(kDays[n - 1], n);
            break;
        }
        case 'w':
            take(run >= 2 ? Code::Week : Code::Weekday, run >= 2 ? 2 : 1);
            break;
        case 'm': {
            static constexpr Code kMonths[] = {Code::Month, Code::Month2, Code::MonthAbbrev, Code::MonthName};
            const std::size_t n = run < 4 ? run : 4;
            take(kMonths[n - 1], n);
            break;
        }
        case 'q':
            take(Code::Quarter, 1);
            break;
        case 'y':
            if (run >= 4) {
                take(Code::Year4, 4);
            } else if (run >= 2) {
                take(Code::Year2, 2);
            } else {
                take(Code::DayOfYear, 1);
            }
            break;
        case 'h':
            take(run >= 2 ? Code::Hour2 : Code::Hour, run >= 2 ? 2 : 1);
            break;
        case 'n':
            take(run >= 2 ? Code::Minute2 : Code::Minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            take(run >= 2 ? Code::Second2 : Code::Second, run >= 2 ? 2 : 1);
            break;
        case 't':
            take(run >= 5 ? Code::LongTime : Code::Literal, run >= 5 ? 5 : 1);
            break;
        default:
            take(c == '/' ? Code::DateSeparator : c == ':' ? Code::TimeSeparator : Code::Literal, 1);
            break;
        }
    }
    return tokens;
}

std::string formatNested(const LocalDateTime& when, std::string_view section, const FormatLocale& locale,
                         int depth);

// The date when it is not day zero, the time when it is not midnight (or when there is no date).
std::string generalDate(const LocalDateTime& t, const FormatLocale& locale, int depth) {
    const bool hasDate = !(t.Year == 1899 && t.Month == 12 && t.Day == 30);
    const bool hasTime = t.Hour != 0 || t.Minute != 0 || t.Second != 0;
    std::string out;
    if (hasDate) {
        out = formatNested(t, locale.ShortDate, locale, depth + 1);
    }
    if (hasTime || !hasDate) {
        if (!out.empty()) {
            out += ' ';
        }
        out += formatNested(t, locale.LongTime, locale, depth + 1);
    }
    return out;
}

// The text of a code that shows part of the date or time; the same for every occurrence in one
// picture, so each is worked out once however long the picture is.
std::string codeText(Code code, const LocalDateTime& t, int hour, const FormatLocale& locale, int depth) {
    const int month = clampIndex(t.Month, 1, 12);
    switch (code) {
    case Code::General:
        return generalDate(t, locale, depth);
    case Code::Day:
        return std::to_string(t.Day);
    case Code::Day2:
        return twoDigits(t.Day);
    case Code::DayAbbrev:
        return locale.DayAbbreviations[static_cast<std::size_t>(weekday(t))];
    case Code::DayName:
        return locale.DayNames[static_cast<std::size_t>(weekday(t))];
    case Code::ShortDate:
        return formatNested(t, locale.ShortDate, locale, depth + 1);
    case Code::LongDate:
        return formatNested(t, locale.LongDate, locale, depth + 1);
    case Code::Weekday:
        return std::to_string(weekday(t) + 1);
    case Code::Week:
        return std::to_string(weekOfYear(t));
    case Code::Month:
        return std::to_string(t.Month);
    case Code::Month2:
        return twoDigits(t.Month);
    case Code::MonthAbbrev:
        return locale.MonthAbbreviations[static_cast<std::size_t>(month - 1)];
    case Code::MonthName:
        return locale.MonthNames[static_cast<std::size_t>(month - 1)];
    case Code::Quarter:
        return std::to_string((month - 1) / 3 + 1);
    case Code::DayOfYear:
        return std::to_string(dayOfYear(t));
    case Code::Year2:
        return twoDigits(t.Year % 100);
    case Code::Year4:
        return std::to_string(t.Year);
    case Code::Hour:
        return std::to_string(hour);
    case Code::Hour2:
        return twoDigits(hour);
    case Code::Minute:
        return std::to_string(t.Minute);
    case Code::Minute2:
        return twoDigits(t.Minute);
    case Code::Second:
        return std::to_string(t.Second);
    case Code::Second2:
        return twoDigits(t.Second);
    case Code::LongTime:
        return formatNested(t, locale.LongTime, locale, depth + 1);
    case Code::AmPmLocale:
        return t.Hour < 12 ? locale.AmText : locale.PmText;
    case Code::Literal:
    case Code::AmPm:
    case Code::DateSeparator:
    case Code::TimeSeparator:
        break;
    }
    return {};
}

constexpr std::size_t kCodeCount = static_cast<std::size_t>(Code::TimeSeparator) + 1;

std::string formatNested(const LocalDateTime& t, std::string_view section, const FormatLocale& locale,
                         int depth) {
    // Locale pictures may name each other; nesting stops rather than recursing without end.
    if (depth > kMaxNesting) {
        return {};
    }
    const std::vector<Token> tokens = tokenize(section);
    bool twelveHour = false;
    for (const Token& token : tokens) {
        twelveHour = twelveHour || token.TokenCode == Code::AmPm || token.TokenCode == Code::AmPmLocale;
    }
    const int hour = twelveHour ? (t.Hour % 12 == 0 ? 12 : t.Hour % 12) : t.Hour;

    std::array<std::optional<std::string>, kCodeCount> texts;
    std::string out;
    bool afterHour = false;
    for (const Token& token : tokens) {
        Code code = token.TokenCode;
        const bool hourCode = code == Code::Hour || code == Code::Hour2;
        bool keepsHour = false;
        switch (code) {
        case Code::Literal:
            out += token.Text;
            keepsHour = true;
            break;
        case Code::DateSeparator:
            out += locale.DateSeparator;
            keepsHour = true;
            break;
        case Code::TimeSeparator:
            out += locale.TimeSeparator;
            keepsHour = true;
            break;
        case Code::AmPm:
            out += t.Hour < 12 ? token.Text : token.After;
            break;
        default: {
            // "m" right after an hour is the minute.
            if (afterHour && (code == Code::Month || code == Code::Month2)) {
                code = code == Code::Month ? Code::Minute : Code::Minute2;
            }
            std::optional<std::string>& text = texts[static_cast<std::size_t>(code)];
            if (!text) {
                text = codeText(code, t, hour, locale, depth);
            }
            out += *text;
            break;
        }
        }
        afterHour = hourCode || (keepsHour && afterHour);
    }
    return out;
}

} // namespace

double serialFromDateTime(const LocalDateTime& when) {
    const auto days =
        static_cast<double>(daysFromCivil(when.Year, clampIndex(when.Month, 1, 12), when.Day) - kSerialEpoch);
    const double time = (when.Hour * 3600 + when.Minute * 60 + when.Second) / 86400.0;
    return days < 0 ? days - time : days + time;
}

std::optional<LocalDateTime> dateTimeFromSerial(double serial) {
    if (!(serial > static_cast<double>(kMinSerialDay - 1) &&
          serial < static_cast<double>(kMaxSerialDay + 1))) {
        return std::nullopt;
    }
    const double whole = std::trunc(serial);
    auto days = static_cast<std::int64_t>(whole);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(serial - whole) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        days += serial < 0 ? -1 : 1;
    }
    if (days < kMinSerialDay || days > kMaxSerialDay) {
        return std::nullopt;
    }
    LocalDateTime t;
    civilFromDays(days + kSerialEpoch, t.Year, t.Month, t.Day);
    t.Hour = static_cast<int>(seconds / 3600);
    t.Minute = static_cast<int>(seconds / 60 % 60);
    t.Second = static_cast<int>(seconds % 60);
    t.Millisecond = 0;
    return t;
}

std::string formatDatePicture(const LocalDateTime& when, std::string_view section,
                              const FormatLocale& locale) {
    return formatNested(when, section, locale, 0);
}

} // namespace quorvane
