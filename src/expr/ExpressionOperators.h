#pragma once
// The operators of math expressions over values, and the conversions they share with functions.

#include "expr/Value.h"

#include <cstdint>
#include <optional>

namespace quorvane {

/// Binary operators of the expression language.
enum class BinaryOperator : std::uint8_t {
    Power,
    Multiply,
    Divide,
    IntegerDivide,
    Modulo,
    Add,
    Subtract,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

/// The value as a number where a number is required: empty is 0, truth values -1 and 0, texts
/// must read as a number as a whole; std::nullopt otherwise.
std::optional<double> strictNumber(const Value& value);

/// The number rounded to a whole number, halves to the even neighbour; std::nullopt outside
/// the 32-bit range.
std::optional<std::int32_t> wholeNumber(double number);

/// strictNumber followed by wholeNumber.
std::optional<std::int32_t> wholeNumber(const Value& value);

/// True for values that count as 16-bit integers in arithmetic: empty, 16-bit integers, truth values.
bool isInteger16Like(const Value& value);

/// left op right; std::nullopt on a fault (a text that is no number, division by zero,
/// overflow, a negative base to a fractional power).
std::optional<Value> applyBinary(BinaryOperator op, const Value& left, const Value& right);

/// Unary minus; std::nullopt when the operand is no number.
std::optional<Value> negate(const Value& operand);

/// Bitwise complement ("not"); std::nullopt when the operand is no 32-bit whole number.
std::optional<Value> complement(const Value& operand);

} // namespace quorvane
