// The 21 functions of math expressions, called through the evaluator: results, result types,
// argument conversions and faults, and the seeding behaviour of rnd.

#include "expr/ExpressionEvaluator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace quorvane {
namespace {

using namespace std::string_literals;

FieldSlots functionFields() {
    FieldSlots fields = InitialFieldSlots();
    fields[1] = "12"s;
    fields[2] = "  a B\t "s;
    fields[3] = "1F"s;
    fields[4] = "\xC0\xE9\xFF\x8A x\xD7"s; // code-page letters and the multiplication sign
    fields[5] = "&HFFFF"s;
    return fields;
}

std::optional<Value> call(ExpressionEvaluator& evaluator, std::string_view expression) {
    const FieldSlots fields = functionFields();
    Value result;
    if (!evaluator.EvaluateExpression(expression, fields, result))
        return std::nullopt;
    return result;
}

std::optional<Value> call(std::string_view expression) {
    ExpressionEvaluator evaluator;
    return call(evaluator, expression);
}

struct FunctionCase {
    const char* Expression;
    std::optional<Value> Expected; // std::nullopt: the call fails
};

void PrintTo(const FunctionCase& c, std::ostream* out) {
    *out << c.Expression;
}

class FunctionCalls : public ::testing::TestWithParam<FunctionCase> {};

TEST_P(FunctionCalls, GiveTheirResultOrFail) {
    EXPECT_EQ(call(GetParam().Expression), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numeric, FunctionCalls,
    ::testing::Values(
        FunctionCase{"ABS(-3)", 3.0}, FunctionCase{"Abs(-3)", 3.0}, FunctionCase{"abs(-3)", 3.0},
        FunctionCase{"abs(field(1))", 12.0}, FunctionCase{"abs(field(3))", std::nullopt},
        FunctionCase{"abs(1 = 1)", std::int16_t{1}}, FunctionCase{"cos(0)", 1.0}, FunctionCase{"sin(0)", 0.0},
        FunctionCase{"tan(0)", 0.0}, FunctionCase{"atn(0)", 0.0}, FunctionCase{"exp(0)", 1.0},
        FunctionCase{"exp(710)", std::nullopt}, FunctionCase{"exp(-1000)", 0.0},
        FunctionCase{"fix(-2.5)", -2.0}, FunctionCase{"int(-2.5)", -3.0}, FunctionCase{"int(field(1))", 12.0},
        FunctionCase{"fix(-0.5)", 0.0}, FunctionCase{"log(1)", 0.0}, FunctionCase{"log(0)", std::nullopt},
        FunctionCase{"log(-1)", std::nullopt}, FunctionCase{"sqr(16)", 4.0},
        FunctionCase{"sqr(-1)", std::nullopt}, FunctionCase{"sqr(field(5))", std::nullopt},
        FunctionCase{"sgn(-0.1)", std::int16_t{-1}}, FunctionCase{"sgn(0)", std::int16_t{0}},
        FunctionCase{"sgn(field(1))", std::int16_t{1}}, FunctionCase{"sgn(field(3))", std::nullopt},
        FunctionCase{"cos(field(3))", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Text, FunctionCalls,
    ::testing::Values(
        FunctionCase{"asc(field(1))", std::int16_t{'1'}},
        FunctionCase{"asc(field(4))", std::int16_t{0xC0}}, // a code, never a negative char
        FunctionCase{"asc(field(0))", std::nullopt}, FunctionCase{"asc(field(6))", std::nullopt},
        FunctionCase{"asc(65)", std::int16_t{'6'}}, FunctionCase{"hex(255)", "FF"s},
        FunctionCase{"hex(-1)", "FFFFFFFF"s}, FunctionCase{"hex(sgn(-5))", "FFFF"s},
        FunctionCase{"hex(1 = 1)", "FFFF"s}, FunctionCase{"hex(0)", "0"s}, FunctionCase{"hex(2.5)", "2"s},
        FunctionCase{"hex(3.5)", "4"s}, FunctionCase{"hex(field(5))", "FFFFFFFF"s},
        FunctionCase{"hex(4294967296)", std::nullopt}, FunctionCase{"lcase(5)", "5"s},
        FunctionCase{"lcase(field(2))", "  a b\t "s}, FunctionCase{"ucase(field(2))", "  A B\t "s},
        FunctionCase{"lcase(field(4))", "\xE0\xE9\xFF\x9A x\xD7"s},
        FunctionCase{"ucase(field(4))", "\xC0\xC9\x9F\x8A X\xD7"s},
        FunctionCase{"ltrim(field(2))", "a B\t "s}, FunctionCase{"rtrim(field(2))", "  a B\t"s},
        FunctionCase{"trim(field(2))", "a B\t"s}, FunctionCase{"trim(1/3)", "0.333333333333333"s},
        FunctionCase{"trim(field(0))", ""s}, FunctionCase{"val(field(3))", 1.0},
        FunctionCase{"val(field(5))", -1.0}, FunctionCase{"val(field(2))", 0.0},
        FunctionCase{"val(-2.5)", -2.5}, FunctionCase{"field(\"\")", std::nullopt}));

TEST(FunctionNames, UnknownNamesFail) {
    EXPECT_EQ(call("nosuch(1)"), std::nullopt);
    EXPECT_EQ(call("absx(1)"), std::nullopt);
    EXPECT_EQ(call("ab(1)"), std::nullopt);
}

TEST(FunctionNames, AngleFunctionsWorkInRadians) {
    const auto quarterTurn = call("atn(1) * 4");
    ASSERT_TRUE(quarterTurn);
    EXPECT_DOUBLE_EQ(std::get<double>(*quarterTurn), std::acos(-1.0));
    EXPECT_DOUBLE_EQ(std::get<double>(*call("cos(atn(1) * 4)")), -1.0);
}

float rnd(ExpressionEvaluator& evaluator, std::string_view expression) {
    const std::optional<Value> result = call(evaluator, expression);
    EXPECT_TRUE(result && std::holds_alternative<float>(*result)) << expression;
    return result ? std::get<float>(*result) : -1.0f;
}

TEST(Rnd, GivesSinglesInTheUnitInterval) {
    ExpressionEvaluator evaluator;
    for (int i = 0; i < 1000; ++i) {
        const float number = rnd(evaluator, "rnd(1)");
        EXPECT_GE(number, 0.0f);
        EXPECT_LT(number, 1.0f);
    }
}

TEST(Rnd, PositiveArgumentsAdvanceAndZeroRepeatsTheLastNumber) {
    ExpressionEvaluator evaluator;
    const float first = rnd(evaluator, "rnd(1)");
    const float second = rnd(evaluator, "rnd(7)");
    EXPECT_NE(first, second);
    EXPECT_EQ(rnd(evaluator, "rnd(0)"), second);
    EXPECT_EQ(rnd(evaluator, "rnd(field(0))"), second);
}

TEST(Rnd, NegativeArgumentsReseedTheSequence) {
    ExpressionEvaluator evaluator;
    const float seeded = rnd(evaluator, "rnd(-5)");
    const float afterSeed = rnd(evaluator, "rnd(1)");
    rnd(evaluator, "rnd(1)");
    EXPECT_EQ(rnd(evaluator, "rnd(-5)"), seeded);
    EXPECT_EQ(rnd(evaluator, "rnd(1)"), afterSeed);
    EXPECT_NE(rnd(evaluator, "rnd(-6)"), seeded);
}

TEST(Rnd, EveryEvaluatorStartsTheSameSequence) {
    ExpressionEvaluator one;
    ExpressionEvaluator other;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rnd(one, "rnd(1)"), rnd(other, "rnd(1)"));
}

TEST(Rnd, TextThatIsNoNumberFails) {
    EXPECT_EQ(call("rnd(field(3))"), std::nullopt);
}

} // namespace
} // namespace quorvane
