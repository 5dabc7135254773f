// The expression evaluator end to end: precedence, operand conversions, faults and the partial
// value handed back with a failure. The functions are covered one by one in
// ExpressionFunctions_test.cpp, the tokenizer and the val rule in their own files.

#include "expr/ExpressionEvaluator.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace quorvane {
namespace {

using namespace std::string_literals;

struct Evaluation {
    bool Succeeded = false;
    Value Result;
};

// Fields 1, 2 and 3 hold the texts 12, 5 and 1F, as a record from framing would.
FieldSlots recordFields() {
    FieldSlots fields = InitialFieldSlots();
    fields[1] = "12"s;
    fields[2] = "5"s;
    fields[3] = "1F"s;
    return fields;
}

Evaluation evaluate(std::string_view expression, const FieldSlots& fields = recordFields()) {
    ExpressionEvaluator evaluator;
    Evaluation evaluation;
    evaluation.Succeeded = evaluator.EvaluateExpression(expression, fields, evaluation.Result);
    return evaluation;
}

struct ExpressionCase {
    const char* Name;
    const char* Expression;
    std::optional<Value> Expected; // std::nullopt: the evaluation fails
};

void PrintTo(const ExpressionCase& c, std::ostream* out) {
    *out << c.Expression;
}

std::string caseName(const ::testing::TestParamInfo<ExpressionCase>& info) {
    return info.param.Name;
}

class DocumentedExpressions : public ::testing::TestWithParam<ExpressionCase> {};

TEST_P(DocumentedExpressions, GiveTheirResultOrFail) {
    const ExpressionCase& c = GetParam();
    const Evaluation evaluation = evaluate(c.Expression);
    EXPECT_EQ(evaluation.Succeeded, c.Expected.has_value());
    if (c.Expected) {
        EXPECT_EQ(evaluation.Result, *c.Expected);
    }
}

const Value kTrue = TruthValue{true};
const Value kFalse = TruthValue{false};

INSTANTIATE_TEST_SUITE_P(
    Precedence, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"PowerIsLeftAssociative", "2^3^2", 64.0},
                      ExpressionCase{"SubtractionIsLeftAssociative", "10 - 2 - 3", 5.0},
                      ExpressionCase{"ProductBindsTighterThanIntegerQuotient", "7 \\ 2 * 3", 1.0},
                      ExpressionCase{"ModBindsTighterThanSum", "7 mod 3 + 1", 2.0},
                      ExpressionCase{"IntegerQuotientTruncatesTowardZero", "-7 \\ 2", -3.0},
                      ExpressionCase{"ModKeepsTheLeftSign", "-7 mod 3", -1.0},
                      ExpressionCase{"HalfRoundsUpToEven", "5.5 \\ 1", 6.0},
                      ExpressionCase{"HalfRoundsDownToEven", "4.5 \\ 1", 4.0},
                      ExpressionCase{"NegatedRightOperand", "2 * -3", -6.0},
                      ExpressionCase{"NegativeExponent", "2 ^ -1", 0.5},
                      ExpressionCase{"NegationAppliesAfterPower", "-2^2", -4.0},
                      ExpressionCase{"NotTakesTheWholeComparison", "not 1 = 1", kFalse},
                      ExpressionCase{"NotTakesOnlyTheLeftOfAnd", "not 0 and 1", 1.0},
                      ExpressionCase{"AndIsBitwise", "5 and 3", 1.0},
                      ExpressionCase{"AndOfTruthValuesIsATruthValue", "1 = 1 and 2 = 2", kTrue},
                      ExpressionCase{"KeywordsIgnoreCase", "5 AND 3 Or 8", 9.0},
                      ExpressionCase{"ComparisonsChainFromTheLeft", "1 < 2 < 3", kTrue},
                      ExpressionCase{"XorEqvImp", "(6 xor 3) + (1 eqv 1) * 10 + (0 imp 0) * 100", -105.0},
                      ExpressionCase{"NumberEqualsItsDecimalSpelling", "3 = 3.0", kTrue}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    FieldTexts, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"PlusJoinsTwoTexts", "field(1) + field(2)", "125"s},
                      ExpressionCase{"MinusReadsTextsAsNumbers", "field(1) - field(2)", 7.0},
                      ExpressionCase{"PlusAddsANumberAndAText", "field(1) * 1 + field(2)", 17.0},
                      ExpressionCase{"LeftTextComparedAsNumber", "field(1) > 100", kFalse},
                      ExpressionCase{"LeftTextBelowNumber", "field(1) < 1000", kTrue},
                      ExpressionCase{"RightTextReadByValRule", "100 < field(1)", kFalse},
                      ExpressionCase{"TwoTextsCompareAsNumbers", "field(1) = field(2)", kFalse},
                      ExpressionCase{"LeftTextThatIsNoNumberFails", "field(3) = 0", std::nullopt},
                      ExpressionCase{"ValStopsAtTheFirstNonDigit", "val(field(3)) = 1", kTrue},
                      ExpressionCase{"HexPrefixWithBlank", "&h field(3)", 31.0},
                      ExpressionCase{"HexPrefixWithParentheses", "&h(field(3))", 31.0},
                      ExpressionCase{"HexPrefixOfANumberFails", "&h 10", std::nullopt},
                      ExpressionCase{"HexDigitsAfterPrefixFormAnIdentifier", "&h1F", std::nullopt},
                      ExpressionCase{"FieldNumberRoundsHalfToEven", "field(1.5)", "5"s},
                      ExpressionCase{"FieldAboveTheSlotsFails", "field(42)", std::nullopt},
                      ExpressionCase{"FieldBelowTheSlotsFails", "field(-1)", std::nullopt},
                      ExpressionCase{"FieldZeroIsEmpty", "field(0)", Value{}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Syntax, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"SecondPointEndsTheNumber", "1.2.3", 1.2},
                      ExpressionCase{"LonePointIsZero", ".", 0.0},
                      ExpressionCase{"NoExponentForm", "1e3", std::nullopt},
                      ExpressionCase{"BareIdentifier", "x", std::nullopt},
                      ExpressionCase{"MissingParenthesis", "(1", std::nullopt},
                      ExpressionCase{"SurplusParenthesis", "(1))", std::nullopt},
                      ExpressionCase{"ShiftOperatorDoesNotExist", "1 >> 2", std::nullopt},
                      ExpressionCase{"EmptyExpression", "", std::nullopt},
                      ExpressionCase{"BlanksOnly", " \t\r\n", std::nullopt},
                      ExpressionCase{"LeadingPlus", "+1", std::nullopt},
                      ExpressionCase{"OperatorAtTheEnd", "1 +", std::nullopt},
                      ExpressionCase{"TwoOperands", "1 2", std::nullopt},
                      ExpressionCase{"FunctionWithoutParentheses", "abs 1", std::nullopt},
                      ExpressionCase{"DoubleQuoteIsNoStringLiteral", "\"a\"", std::nullopt}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    RunTimeFaults, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"DivisionByZero", "1 / 0", std::nullopt},
                      ExpressionCase{"IntegerDivisionByZero", "1 \\ 0.4", std::nullopt},
                      ExpressionCase{"ModByZero", "1 mod 0", std::nullopt},
                      ExpressionCase{"PowerOverflow", "10 ^ 309", std::nullopt},
                      ExpressionCase{"ProductOverflow", "10 ^ 300 * 10 ^ 300", std::nullopt},
                      ExpressionCase{"ZeroToANegativePower", "0 ^ -1", std::nullopt},
                      ExpressionCase{"NegativeBaseFractionalPower", "(-8) ^ (1 / 3)", std::nullopt},
                      ExpressionCase{"NegativeBaseWholePower", "(-2) ^ 3", -8.0},
                      ExpressionCase{"WholeNumberBeyond32Bits", "2147483647.5 \\ 1", std::nullopt},
                      ExpressionCase{"LargestWholeNumber", "2147483647.4 \\ 1", 2147483647.0},
                      ExpressionCase{"QuotientBeyond32Bits", "-2147483648 \\ -1", std::nullopt},
                      ExpressionCase{"RemainderOfTheSmallestWholeNumber", "-2147483648 mod -1", 0.0},
                      ExpressionCase{"NotBeyond32Bits", "not 4294967296", std::nullopt},
                      ExpressionCase{"EmptyTextIsNoNumber", "field(4) * 2", std::nullopt},
                      ExpressionCase{"TextThatIsNoNumberInArithmetic", "field(3) - 1", std::nullopt}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    ValueTypes, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"TruthValuesCountAsMinusOne", "(1 = 1) * 2", -2.0},
                      ExpressionCase{"NotOfATruthValueIsATruthValue", "not (1 = 2)", kTrue},
                      ExpressionCase{"EmptyPlusIsTheOtherOperand", "field(0) + field(2)", "5"s},
                      ExpressionCase{"EmptyIsZeroInArithmetic", "field(0) - 3", -3.0},
                      ExpressionCase{"SixteenBitSumStaysSixteenBit", "sgn(4) + sgn(5)", std::int16_t{2}},
                      ExpressionCase{"RightComparisonTextNeverFails", "5 > field(3)", kTrue}),
    caseName);

// Both sides of a comparison count 15 significant digits, the right one read back from its text.
INSTANTIATE_TEST_SUITE_P(
    ComputedComparisons, DocumentedExpressions,
    ::testing::Values(ExpressionCase{"EqualQuotientsCompareEqual", "1 / 3 = 1 / 3", kTrue},
                      ExpressionCase{"RightSumAtFifteenDigits", "0.3 = 0.1 + 0.2", kTrue},
                      ExpressionCase{"RightProductAtFifteenDigits", "0.3 = 3 * 0.1", kTrue},
                      ExpressionCase{"LeftSumAtFifteenDigits", "0.1 + 0.2 = 0.3", kTrue},
                      ExpressionCase{"RightTruthValueReadsAsItsText", "-1 = (1 = 1)", kFalse}),
    caseName);

TEST(ExpressionEvaluator, NumberTokenTooLargeForADoubleFails) {
    EXPECT_FALSE(evaluate("1" + std::string(400, '0')).Succeeded);
    EXPECT_TRUE(evaluate("1" + std::string(300, '0')).Succeeded);
}

TEST(ExpressionEvaluator, HexPrefixReadsUpTo32BitsSigned) {
    FieldSlots fields = recordFields();
    fields[4] = "FFFF"s;
    fields[5] = "FFFFFFFF"s;
    fields[6] = "123456789"s;
    EXPECT_EQ(evaluate("&h field(4)", fields).Result, Value(65535.0));
    EXPECT_EQ(evaluate("&h field(5)", fields).Result, Value(-1.0));
    EXPECT_FALSE(evaluate("&h field(6)", fields).Succeeded);
    EXPECT_EQ(evaluate("&h field(0)", fields).Result, Value(0.0));
}

TEST(ExpressionEvaluator, SixteenBitProductBeyond16BitsWidensInsteadOfWrapping) {
    FieldSlots fields = recordFields();
    fields[4] = "\xFF"s;
    const Evaluation evaluation = evaluate("asc(field(4)) * asc(field(4))", fields);
    EXPECT_TRUE(evaluation.Succeeded);
    EXPECT_EQ(evaluation.Result, Value(65025.0));
}

TEST(ExpressionEvaluator, FailureHandsBackThePartialValue) {
    struct PartialCase {
        const char* Expression;
        Value Partial;
    };
    const PartialCase cases[] = {
        {"", Value{}},                  // the first operand failed
        {"+1", Value{}},                //
        {"2 * 3 )", Value(6.0)},        // complete value, tokens left over
        {"1 / 0 + 5", Value(1.0)},      // no operator is taken after a fault
        {"1 + 2 * (3", Value(7.0)},     // pending operators still combine
        {"1 + 2 + x", Value(3.0)},      // the failed operand adds as empty
        {"field(3) = 0", Value("1F"s)}, // the failed operator leaves its left operand
        {"nosuch(4 + 1)", Value(5.0)},  // unknown function: its argument
        {"sqr(-4)", Value(-4.0)},       // failing function: its argument
        {"-field(3)", Value("1F"s)},    // failing negation: its operand
        {"&h 10", Value(10.0)},         // failing hexadecimal prefix: its operand
    };
    for (const PartialCase& c : cases) {
        const Evaluation evaluation = evaluate(c.Expression);
        EXPECT_FALSE(evaluation.Succeeded) << c.Expression;
        EXPECT_EQ(evaluation.Result, c.Partial) << c.Expression;
    }
}

TEST(ExpressionEvaluator, ResultMayBeTheSlotTheExpressionReads) {
    FieldSlots fields = recordFields();
    ExpressionEvaluator evaluator;
    EXPECT_TRUE(evaluator.EvaluateExpression("field(2) + field(2) + field(2)", fields, fields[2]));
    EXPECT_EQ(fields[2], Value("555"s));
}

TEST(ExpressionEvaluator, EachEvaluationStartsClean) {
    ExpressionEvaluator evaluator;
    const FieldSlots fields = recordFields();
    Value result;
    EXPECT_FALSE(evaluator.EvaluateExpression("1 +", fields, result));
    EXPECT_TRUE(evaluator.EvaluateExpression("1 + 1", fields, result));
    EXPECT_EQ(result, Value(2.0));
}

TEST(ExpressionEvaluator, DeepNestingFailsInsteadOfExhaustingTheStack) {
    const std::size_t deep = 100000;
    EXPECT_FALSE(evaluate(std::string(deep, '(') + "1" + std::string(deep, ')')).Succeeded);
    EXPECT_FALSE(evaluate(std::string(deep, '-') + "1").Succeeded);
    std::string calls;
    for (std::size_t i = 0; i < deep; ++i)
        calls += "abs(";
    EXPECT_FALSE(evaluate(calls + "1" + std::string(deep, ')')).Succeeded);

    const Evaluation modest = evaluate(std::string(60, '(') + "1" + std::string(60, ')'));
    EXPECT_TRUE(modest.Succeeded);
    EXPECT_EQ(modest.Result, Value(1.0));
}

TEST(ExpressionEvaluator, LongChainsOfOperatorsDoNotNest) {
    std::string sum = "0";
    for (int i = 0; i < 10000; ++i)
        sum += " + 1";
    const Evaluation evaluation = evaluate(sum);
    EXPECT_TRUE(evaluation.Succeeded);
    EXPECT_EQ(evaluation.Result, Value(10000.0));
}

} // namespace
} // namespace quorvane
