#pragma once
// Numbers as decimal digits, so that formats round what the user sees rather than binary fractions.

#include <cstdint>
#include <string>

namespace quorvane {

/// A number as 0.Digits x 10^PointPosition, with a sign.
struct DecimalDigits {
    /// Set for numbers below zero, also when Digits rounds away to nothing.
    bool Negative = false;
    /// Significant digits without leading or trailing zeros; empty for zero.
    std::string Digits;
    /// How many digits stand before the decimal point (negative: zeros after the point first).
    int PointPosition = 0;

    /// True when no digit is left.
    bool isZero() const { return Digits.empty(); }
};

/// A double read as at most 15 significant digits (the precision numbers are shown with), so
/// 2.675 is the digits 2675 and rounds up to 2.68; x must be finite.
DecimalDigits decimalFromDouble(double x);

/// A single read as at most 7 significant digits; x must be finite.
DecimalDigits decimalFromFloat(float x);

/// An integer, exactly.
DecimalDigits decimalFromInteger(std::int64_t x);

/// Rounds to the given number of digits after the point, halves away from zero.
void roundToFraction(DecimalDigits& number, int fractionDigits);

/// Multiplies by 10^power; the shift is clamped to keep PointPosition within range.
void shiftPoint(DecimalDigits& number, int power);

/// The digit for 10^position (0 units, -1 tenths), '0' outside the stored digits.
char digitAt(const DecimalDigits& number, int position);

/// The digits before the point, without leading zeros; empty when the number is below 1.
std::string integerDigits(const DecimalDigits& number);

} // namespace quorvane
