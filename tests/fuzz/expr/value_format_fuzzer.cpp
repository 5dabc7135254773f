// Feeds arbitrary values and formats to FormatValue, FormatDateTime and ExpandDateCodes.
// Input: one byte choosing the kind of value, one byte choosing the locale conventions, then the
// value (8 raw bytes for numbers, or a text up to the first NUL) and the format.

#include "expr/DateCodes.h"
#include "expr/ValueFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace quorvane;

class FixedClock final : public DateTimeSource {
public:
    LocalDateTime now() const override { return {2026, 12, 7, 14, 5, 9, 0}; }
};

FormatLocale localeFor(std::uint8_t choice) {
    FormatLocale locale;
    if ((choice & 1) != 0) {
        locale.DecimalPoint = ',';
        locale.ThousandsSeparator = '.';
        locale.MonetaryDecimalPoint = ',';
        locale.MonetaryThousandsSeparator = '.';
        locale.CurrencySymbol = "\x80";
        locale.CurrencyPrecedes = false;
        locale.CurrencySpacing = 1;
    }
    locale.NegativeSignPosition = (choice >> 1) % 5;
    locale.NegativeCurrencySpacing = (choice >> 4) % 3;
    locale.CurrencyDecimals = (choice >> 6) * 3;
    if ((choice & 0x08) != 0) {
        // Locale pictures that refer to each other must not recurse without end.
        locale.ShortDate = "ddddd c";
        locale.LongTime = "ttttt c";
    }
    return locale;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t kind = data[0] % 8;
    const FormatLocale locale = localeFor(data[1]);
    const std::string_view all(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string_view rest = all;

    auto takeRaw = [&](void* target, std::size_t n) {
        const std::size_t taken = rest.size() < n ? rest.size() : n;
        std::memcpy(target, rest.data(), taken);
        rest.remove_prefix(taken);
    };

    Value value;
    switch (kind) {
    case 0: {
        double x = 0;
        takeRaw(&x, sizeof x);
        value = x;
        break;
    }
    case 1: {
        float x = 0;
        takeRaw(&x, sizeof x);
        value = x;
        break;
    }
    case 2: {
        std::int16_t x = 0;
        takeRaw(&x, sizeof x);
        value = x;
        break;
    }
    case 3:
        value = TruthValue{!rest.empty() && (rest[0] & 1) != 0};
        break;
    case 4:
        value = EmptyValue{};
        break;
    case 5: {
        LocalDateTime when;
        std::uint8_t parts[6] = {};
        takeRaw(parts, sizeof parts);
        when.Year = 100 + parts[0] * 39;
        when.Month = 1 + parts[1] % 12;
        when.Day = 1 + parts[2] % 28;
        when.Hour = parts[3] % 24;
        when.Minute = parts[4] % 60;
        when.Second = parts[5] % 60;
        (void)FormatDateTime(when, rest, locale);
        return 0;
    }
    default: {
        const auto nul = rest.find('\0');
        value = std::string(rest.substr(0, nul));
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
        break;
    }
    }
    (void)FormatValue(value, rest, locale);
    (void)ExpandDateCodes(all, FixedClock{});
    return 0;
}
