#pragma once
// The evaluator of fields' math expressions.

#include "expr/ExpressionTokenizer.h"
#include "expr/FieldSlots.h"
#include "expr/RandomSequence.h"
#include "expr/Value.h"

#include <string_view>

namespace quorvane {

/// Evaluates math expressions over a record's field slots. Holds the parsing state of the
/// running evaluation and the rnd sequence, which lives on from one evaluation to the next.
class ExpressionEvaluator {
public:
    /// Evaluates expression, field(n) reading fields; result receives the value reached even when
    /// the evaluation fails (empty when its first operand failed). Gives the success flag.
    /// result may be one of the slots of fields.
    bool EvaluateExpression(std::string_view expression, const FieldSlots& fields, Value& result);

private:
    Value ParseExpression(int level);
    Value parseOperand();
    Value parseFunctionCall();
    Value parseHexPrefix();

    ExpressionTokenizer m_tokens;
    bool m_exprFailed = false;
    int m_nesting = 0;
    const FieldSlots* m_fields = nullptr;
    RandomSequence m_random;
};

} // namespace quorvane
