#include "expr/DecimalDigits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorvane {

namespace {

constexpr int kPointLimit = 1'000'000;

void trimZeros(DecimalDigits& number) {
    const auto first = number.Digits.find_first_not_of('0');
    if (first == std::string::npos) {
        number.Digits.clear();
        number.PointPosition = 0;
        return;
    }
    number.Digits.erase(0, first);
    number.PointPosition -= static_cast<int>(first);
    number.Digits.erase(number.Digits.find_last_not_of('0') + 1);
}

// printf rounds the exact binary value to the requested digits, which is the precision we show.
DecimalDigits fromScientific(double x, int significant) {
    DecimalDigits result;
    result.Negative = std::signbit(x) && x != 0.0;
    if (x == 0.0) {
        return result;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", significant - 1, x < 0 ? -x : x);
    const char* p = buffer;
    for (; *p != 'e' && *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9') {
            result.Digits += *p;
        }
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    result.PointPosition = exponent + 1;
    trimZeros(result);
    return result;
}

} // namespace

DecimalDigits decimalFromDouble(double x) {
    return fromScientific(x, 15);
}

DecimalDigits decimalFromFloat(float x) {
    return fromScientific(static_cast<double>(x), 7);
}

DecimalDigits decimalFromInteger(std::int64_t x) {
    DecimalDigits result;
    result.Negative = x < 0;
    // Through unsigned so that the most negative value has a magnitude.
    std::uint64_t magnitude = x < 0 ? 0 - static_cast<std::uint64_t>(x) : static_cast<std::uint64_t>(x);
    while (magnitude != 0) {
        result.Digits.insert(result.Digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    }
    result.PointPosition = static_cast<int>(result.Digits.size());
    trimZeros(result);
    return result;
}

void roundToFraction(DecimalDigits& number, int fractionDigits) {
    if (number.isZero()) {
        return;
    }
    const long keep = static_cast<long>(number.PointPosition) + fractionDigits;
    if (keep >= static_cast<long>(number.Digits.size())) {
        return;
    }
    if (keep < 0) {
        number.Digits.clear();
        number.PointPosition = 0;
        return;
    }
    const auto cut = static_cast<std::size_t>(keep);
    const bool up = number.Digits[cut] >= '5';
    number.Digits.erase(cut);
    if (up) {
        std::size_t i = cut;
        while (i > 0 && number.Digits[i - 1] == '9') {
            number.Digits[--i] = '0';
        }
        if (i == 0) {
            number.Digits.insert(number.Digits.begin(), '1');
            ++number.PointPosition;
        } else {
            ++number.Digits[i - 1];
        }
    }
    trimZeros(number);
}

void shiftPoint(DecimalDigits& number, int power) {
    if (number.isZero()) {
        return;
    }
    number.PointPosition = std::clamp(number.PointPosition + power, -kPointLimit, kPointLimit);
}

char digitAt(const DecimalDigits& number, int position) {
    const long index = static_cast<long>(number.PointPosition) - 1 - position;
    if (index < 0 || index >= static_cast<long>(number.Digits.size())) {
        return '0';
    }
    return number.Digits[static_cast<std::size_t>(index)];
}

std::string integerDigits(const DecimalDigits& number) {
    std::string out;
    for (int position = number.PointPosition - 1; position >= 0; --position) {
        out += digitAt(number, position);
    }
    return out;
}

} // namespace quorvane
