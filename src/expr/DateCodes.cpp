#include "expr/DateCodes.h"

#include <array>

namespace quorvane {

namespace {

enum class Part { Century, Year, Month, Day, Hour, Minute, Second };

struct DateCode {
    std::string_view Name;
    Part Which;
};

constexpr std::array<DateCode, 7> kCodes{{
    {"{century}", Part::Century},
    {"{year}", Part::Year},
    {"{month}", Part::Month},
    {"{day}", Part::Day},
    {"{hour}", Part::Hour},
    {"{minute}", Part::Minute},
    {"{second}", Part::Second},
}};

// Letters match in either case, braces only exactly: folding with 0x20 would take "[" for "{".
bool sameNoCase(char c, char lower) {
    return (c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c) == lower;
}

std::size_t findNoCase(std::string_view text, std::string_view lowerNeedle) {
    if (text.size() < lowerNeedle.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < lowerNeedle.size() && sameNoCase(text[i + k], lowerNeedle[k])) {
            ++k;
        }
        if (k == lowerNeedle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Two digits of a number written with leading zeros; out-of-range clock fields still give two.
std::string twoDigits(int value) {
    value = (value < 0 ? -value : value) % 100;
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string digitsFor(Part which, const LocalDateTime& now) {
    switch (which) {
    case Part::Century:
        return twoDigits((now.Year < 0 ? -now.Year : now.Year) % 10000 / 100);
    case Part::Year:
        return twoDigits(now.Year);
    case Part::Month:
        return twoDigits(now.Month);
    case Part::Day:
        return twoDigits(now.Day);
    case Part::Hour:
        return twoDigits(now.Hour);
    case Part::Minute:
        return twoDigits(now.Minute);
    case Part::Second:
        return twoDigits(now.Second);
    }
    return {};
}

} // namespace

std::string ExpandDateCodes(std::string_view text, const DateTimeSource& clock) {
    std::string out(text);
    for (const DateCode& code : kCodes) {
        const std::size_t at = findNoCase(out, code.Name);
        if (at != std::string::npos) {
            out.replace(at, code.Name.size(), digitsFor(code.Which, clock.now()));
        }
    }
    return out;
}

} // namespace quorvane
