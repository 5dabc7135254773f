#include "expr/ExpressionOperators.h"

#include "expr/NumberText.h"
#include "expr/ValRule.h"

#include <cmath>
#include <limits>
#include <string>

namespace quorvane {

namespace {

// The numeric type an arithmetic result takes: the widest of its operands', texts counting as
// doubles, so that sgn(a) + sgn(b) stays a 16-bit integer and rnd(1) * rnd(1) a single.
enum class Rank { Integer16, Single, Double };

Rank rankOf(const Value& value) {
    if (std::holds_alternative<float>(value))
        return Rank::Single;
    if (std::holds_alternative<double>(value) || std::holds_alternative<std::string>(value))
        return Rank::Double;
    return Rank::Integer16;
}

Rank widerRank(const Value& left, const Value& right) {
    const Rank a = rankOf(left);
    const Rank b = rankOf(right);
    return a > b ? a : b;
}

// The result in the type of its rank, or a double when that type cannot hold it (the way
// 16-bit sums that overflow widen); std::nullopt when no double holds it either.
std::optional<Value> numberOfRank(double result, Rank rank) {
    if (!std::isfinite(result))
        return std::nullopt;
    result += 0.0; // turns a negative zero into zero
    switch (rank) {
    case Rank::Integer16:
        if (result >= std::numeric_limits<std::int16_t>::min() &&
            result <= std::numeric_limits<std::int16_t>::max() && result == std::trunc(result))
            return Value(static_cast<std::int16_t>(result));
        return Value(result);
    case Rank::Single:
        if (std::fabs(result) <= static_cast<double>(std::numeric_limits<float>::max()))
            return Value(static_cast<float>(result));
        return Value(result);
    case Rank::Double:
        break;
    }
    return Value(result);
}

// The right side of a comparison is read back from its text form by the lenient val rule, so it
// never fails for want of a number and a computed reading carries no more than 15 significant
// digits (0.1 + 0.2 equals 0.3; a truth value, written "True" or "False", reads as 0).
std::optional<double> rightComparisonNumber(const Value& value) {
    return TryVal(ValueToText(value));
}

// The left side is converted strictly, but a computed number is cut to the digits of its text
// form as well, so that 1 / 3 = 1 / 3 and 0.1 + 0.2 = 0.3 hold.
std::optional<double> leftComparisonNumber(const Value& value) {
    if (std::holds_alternative<double>(value) || std::holds_alternative<float>(value))
        return TryVal(ValueToText(value));
    return strictNumber(value);
}

std::optional<Value> compare(BinaryOperator op, const Value& left, const Value& right) {
    const std::optional<double> a = leftComparisonNumber(left);
    if (!a)
        return std::nullopt;
    const std::optional<double> b = rightComparisonNumber(right);
    if (!b)
        return std::nullopt;
    bool result = false;
    switch (op) {
    case BinaryOperator::Equal:
        result = *a == *b;
        break;
    case BinaryOperator::NotEqual:
        result = *a != *b;
        break;
    case BinaryOperator::Less:
        result = *a < *b;
        break;
    case BinaryOperator::Greater:
        result = *a > *b;
        break;
    case BinaryOperator::LessEqual:
        result = *a <= *b;
        break;
    default:
        result = *a >= *b;
        break;
    }
    return Value(TruthValue{result});
}

std::optional<Value> bitwise(BinaryOperator op, const Value& left, const Value& right) {
    const std::optional<std::int32_t> a = wholeNumber(left);
    const std::optional<std::int32_t> b = wholeNumber(right);
    if (!a || !b)
        return std::nullopt;
    std::int32_t result = 0;
    switch (op) {
    case BinaryOperator::And:
        result = *a & *b;
        break;
    case BinaryOperator::Or:
        result = *a | *b;
        break;
    case BinaryOperator::Xor:
        result = *a ^ *b;
        break;
    case BinaryOperator::Eqv:
        result = ~(*a ^ *b);
        break;
    default:
        result = ~*a | *b;
        break;
    }
    if (std::holds_alternative<TruthValue>(left) && std::holds_alternative<TruthValue>(right))
        return Value(TruthValue{result != 0});
    // Bitwise results of sign-extended 16-bit operands stay within 16 bits.
    if (isInteger16Like(left) && isInteger16Like(right))
        return Value(static_cast<std::int16_t>(result));
    return Value(static_cast<double>(result));
}

std::optional<Value> wholeDivision(BinaryOperator op, const Value& left, const Value& right) {
    const std::optional<std::int32_t> a = wholeNumber(left);
    const std::optional<std::int32_t> b = wholeNumber(right);
    if (!a || !b || *b == 0)
        return std::nullopt;
    // 64-bit arithmetic: the one 32-bit overflow, -2147483648 \ -1, is caught below instead of
    // being undefined.
    const std::int64_t quotient = op == BinaryOperator::IntegerDivide ? static_cast<std::int64_t>(*a) / *b
                                                                      : static_cast<std::int64_t>(*a) % *b;
    if (quotient > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    const Rank rank = isInteger16Like(left) && isInteger16Like(right) ? Rank::Integer16 : Rank::Double;
    return numberOfRank(static_cast<double>(quotient), rank);
}

std::optional<Value> arithmetic(BinaryOperator op, const Value& left, const Value& right) {
    const std::optional<double> a = strictNumber(left);
    const std::optional<double> b = strictNumber(right);
    if (!a || !b)
        return std::nullopt;
    const Rank rank = widerRank(left, right);
    switch (op) {
    case BinaryOperator::Add:
        return numberOfRank(*a + *b, rank);
    case BinaryOperator::Subtract:
        return numberOfRank(*a - *b, rank);
    case BinaryOperator::Multiply:
        return numberOfRank(*a * *b, rank);
    case BinaryOperator::Divide:
        if (*b == 0)
            return std::nullopt;
        return numberOfRank(*a / *b, rank == Rank::Single ? Rank::Single : Rank::Double);
    default:
        if (*a < 0 && *b != std::trunc(*b))
            return std::nullopt;
        // pow gives infinity for 0 ^ -1 and for overflow; numberOfRank turns both into faults.
        return numberOfRank(std::pow(*a, *b), Rank::Double);
    }
}

std::optional<Value> add(const Value& left, const Value& right) {
    if (std::holds_alternative<EmptyValue>(left))
        return right;
    if (std::holds_alternative<EmptyValue>(right))
        return left;
    const auto* leftText = std::get_if<std::string>(&left);
    const auto* rightText = std::get_if<std::string>(&right);
    if (leftText && rightText)
        return Value(*leftText + *rightText);
    return arithmetic(BinaryOperator::Add, left, right);
}

} // namespace

std::optional<double> strictNumber(const Value& value) {
    struct Reader {
        std::optional<double> operator()(const EmptyValue&) const { return 0.0; }
        std::optional<double> operator()(double number) const { return number; }
        std::optional<double> operator()(float number) const { return number; }
        std::optional<double> operator()(std::int16_t number) const { return number; }
        std::optional<double> operator()(const TruthValue& truth) const { return truth.Value ? -1.0 : 0.0; }
        std::optional<double> operator()(const std::string& text) const { return StrictNumber(text); }
    };
    return std::visit(Reader{}, value);
}

std::optional<std::int32_t> wholeNumber(double number) {
    // The test also turns away NaN.
    if (!(number >= -2147483648.5 && number <= 2147483647.5))
        return std::nullopt;
    double rounded = std::round(number);
    if (std::fabs(number - std::trunc(number)) == 0.5)
        rounded = 2 * std::round(number / 2);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> wholeNumber(const Value& value) {
    const std::optional<double> number = strictNumber(value);
    if (!number)
        return std::nullopt;
    return wholeNumber(*number);
}

bool isInteger16Like(const Value& value) {
    return std::holds_alternative<EmptyValue>(value) || std::holds_alternative<std::int16_t>(value) ||
           std::holds_alternative<TruthValue>(value);
}

std::optional<Value> applyBinary(BinaryOperator op, const Value& left, const Value& right) {
    switch (op) {
    case BinaryOperator::Add:
        return add(left, right);
    case BinaryOperator::Subtract:
    case BinaryOperator::Multiply:
    case BinaryOperator::Divide:
    case BinaryOperator::Power:
        return arithmetic(op, left, right);
    case BinaryOperator::IntegerDivide:
    case BinaryOperator::Modulo:
        return wholeDivision(op, left, right);
    case BinaryOperator::Equal:
    case BinaryOperator::NotEqual:
    case BinaryOperator::Less:
    case BinaryOperator::Greater:
    case BinaryOperator::LessEqual:
    case BinaryOperator::GreaterEqual:
        return compare(op, left, right);
    case BinaryOperator::And:
    case BinaryOperator::Or:
    case BinaryOperator::Xor:
    case BinaryOperator::Eqv:
    case BinaryOperator::Imp:
        return bitwise(op, left, right);
    }
    return std::nullopt;
}

std::optional<Value> negate(const Value& operand) {
    const std::optional<double> number = strictNumber(operand);
    if (!number)
        return std::nullopt;
    return numberOfRank(-*number, rankOf(operand));
}

std::optional<Value> complement(const Value& operand) {
    const std::optional<std::int32_t> number = wholeNumber(operand);
    if (!number)
        return std::nullopt;
    if (const auto* truth = std::get_if<TruthValue>(&operand))
        return Value(TruthValue{!truth->Value});
    if (isInteger16Like(operand))
        return Value(static_cast<std::int16_t>(~*number));
    return Value(static_cast<double>(~*number));
}

} // namespace quorvane
