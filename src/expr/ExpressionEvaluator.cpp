#include "expr/ExpressionEvaluator.h"

#include "expr/ExpressionFunctions.h"
#include "expr/ExpressionOperators.h"
#include "expr/NumberText.h"
#include "expr/ValRule.h"

#include <optional>
#include <string>
#include <utility>

namespace quorvane {

namespace {

// Deeper nesting fails instead of exhausting the stack ("((((...", "- - - ...", "abs(abs(...").
constexpr int kMaxNesting = 200;

// Levels of the unary operators' operands: -2^2 is -(2^2), not a = b is not (a = b).
constexpr int kNegationOperandLevel = 11;
constexpr int kNotOperandLevel = 6;

struct BinaryToken {
    BinaryOperator Operator;
    int Level; // binding level, which is also the level of its right operand
};

std::optional<BinaryToken> binaryOperatorAt(const ExpressionTokenizer& tokens) {
    switch (tokens.tokenKind()) {
    case TokenKind::Mod:
        return BinaryToken{BinaryOperator::Modulo, 9};
    case TokenKind::LessEqual:
        return BinaryToken{BinaryOperator::LessEqual, 7};
    case TokenKind::NotEqual:
        return BinaryToken{BinaryOperator::NotEqual, 7};
    case TokenKind::GreaterEqual:
        return BinaryToken{BinaryOperator::GreaterEqual, 7};
    case TokenKind::And:
        return BinaryToken{BinaryOperator::And, 6};
    case TokenKind::Or:
        return BinaryToken{BinaryOperator::Or, 5};
    case TokenKind::Xor:
        return BinaryToken{BinaryOperator::Xor, 4};
    case TokenKind::Eqv:
        return BinaryToken{BinaryOperator::Eqv, 3};
    case TokenKind::Imp:
        return BinaryToken{BinaryOperator::Imp, 2};
    case TokenKind::Symbol:
        break;
    default:
        return std::nullopt;
    }
    switch (tokens.tokenText()[0]) {
    case '^':
        return BinaryToken{BinaryOperator::Power, 12};
    case '*':
        return BinaryToken{BinaryOperator::Multiply, 11};
    case '/':
        return BinaryToken{BinaryOperator::Divide, 11};
    case '\\':
        return BinaryToken{BinaryOperator::IntegerDivide, 10};
    case '+':
        return BinaryToken{BinaryOperator::Add, 8};
    case '-':
        return BinaryToken{BinaryOperator::Subtract, 8};
    case '=':
        return BinaryToken{BinaryOperator::Equal, 7};
    case '<':
        return BinaryToken{BinaryOperator::Less, 7};
    case '>':
        return BinaryToken{BinaryOperator::Greater, 7};
    default:
        return std::nullopt;
    }
}

} // namespace

bool ExpressionEvaluator::EvaluateExpression(std::string_view expression, const FieldSlots& fields,
                                             Value& result) {
    m_exprFailed = false;
    m_nesting = 0;
    m_fields = &fields;
    m_tokens.reset(expression);
    m_tokens.NextToken();
    Value value = ParseExpression(1);
    if (!m_exprFailed && m_tokens.tokenKind() != TokenKind::End)
        m_exprFailed = true; // tokens left over
    m_fields = nullptr;
    // Assigned only now: result may be a slot that field(n) was still reading.
    result = std::move(value);
    return !m_exprFailed;
}

Value ExpressionEvaluator::ParseExpression(int level) {
    if (m_nesting >= kMaxNesting) {
        m_exprFailed = true;
        return {};
    }
    ++m_nesting;
    Value value = parseOperand();
    // A failure stops the loop, but operators whose right side failed still combine below, so
    // the partial value carries what was reached.
    while (!m_exprFailed) {
        const std::optional<BinaryToken> op = binaryOperatorAt(m_tokens);
        if (!op || op->Level <= level)
            break;
        m_tokens.NextToken();
        const Value right = ParseExpression(op->Level);
        if (std::optional<Value> combined = applyBinary(op->Operator, value, right))
            value = std::move(*combined);
        else
            m_exprFailed = true;
    }
    --m_nesting;
    return value;
}

Value ExpressionEvaluator::parseOperand() {
    switch (m_tokens.tokenKind()) {
    case TokenKind::Number: {
        const std::optional<double> number = TryVal(m_tokens.tokenText());
        m_tokens.NextToken();
        if (!number) {
            m_exprFailed = true;
            return {};
        }
        return *number;
    }
    case TokenKind::HexPrefix:
        return parseHexPrefix();
    case TokenKind::Not: {
        m_tokens.NextToken();
        Value operand = ParseExpression(kNotOperandLevel);
        if (std::optional<Value> result = complement(operand))
            return std::move(*result);
        m_exprFailed = true;
        return operand;
    }
    case TokenKind::Identifier:
        return parseFunctionCall();
    case TokenKind::Symbol:
        if (m_tokens.isSymbol('-')) {
            m_tokens.NextToken();
            Value operand = ParseExpression(kNegationOperandLevel);
            if (std::optional<Value> result = negate(operand))
                return std::move(*result);
            m_exprFailed = true;
            return operand;
        }
        if (m_tokens.isSymbol('(')) {
            m_tokens.NextToken();
            Value inner = ParseExpression(1);
            if (!m_tokens.isSymbol(')'))
                m_exprFailed = true;
            m_tokens.NextToken();
            return inner;
        }
        break;
    default:
        break;
    }
    m_exprFailed = true;
    return {};
}

Value ExpressionEvaluator::parseFunctionCall() {
    const std::string name(m_tokens.tokenText());
    m_tokens.NextToken();
    if (!m_tokens.isSymbol('('))
        m_exprFailed = true;
    m_tokens.NextToken();
    Value argument = ParseExpression(1);
    if (!m_tokens.isSymbol(')'))
        m_exprFailed = true;
    m_tokens.NextToken();
    if (std::optional<Value> result = callFunction(name, argument, *m_fields, m_random))
        return std::move(*result);
    m_exprFailed = true;
    return argument;
}

// "&h" v reads v's text as a hexadecimal number of up to 32 bits. It is built as the text
// "&h" + v + "&" with the language's own +, so a number operand fails as a sum with "&h" would.
Value ExpressionEvaluator::parseHexPrefix() {
    m_tokens.NextToken();
    Value operand = ParseExpression(kNegationOperandLevel);
    std::optional<Value> literal = applyBinary(BinaryOperator::Add, Value(std::string("&h")), operand);
    if (literal)
        literal = applyBinary(BinaryOperator::Add, *literal, Value(std::string("&")));
    std::optional<double> number;
    if (literal)
        number = TryVal(ValueToText(*literal));
    if (!number) {
        m_exprFailed = true;
        return operand;
    }
    return *number;
}

} // namespace quorvane
