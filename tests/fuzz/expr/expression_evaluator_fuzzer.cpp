// Feeds random expressions over random field texts to the evaluator. The first line of the input
// is the expression, the following lines fill fields 1, 2, 3 ... Beyond the sanitizers it checks
// that an evaluation is repeatable, that no result is infinite or NaN, and that every number the
// evaluator produces survives being written as text and read back.

#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "expr/ValRule.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace quorvane;

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkNumberText(double number) {
    check(std::isfinite(number));
    // The 15-digit form of the very largest doubles rounds up past the double range.
    if (std::fabs(number) > 1.79769313486231e308)
        return;
    const std::string text = NumberToText(number);
    const std::optional<double> strict = StrictNumber(text);
    check(strict.has_value());
    check(TryVal(text) == strict);
    const double tolerance = 1e-14 * std::fabs(number);
    check(std::fabs(*strict - number) <= tolerance || std::fabs(number) < 1e-300);
}

void checkValue(const Value& value) {
    if (const auto* number = std::get_if<double>(&value))
        checkNumberText(*number);
    else if (const auto* single = std::get_if<float>(&value))
        check(std::isfinite(*single) && StrictNumber(NumberToText(*single)).has_value());
    (void)ValueToText(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t lineEnd = input.find('\n');
    const std::string_view expression = input.substr(0, lineEnd);

    FieldSlots fields = InitialFieldSlots();
    for (std::size_t field = 1; lineEnd != std::string_view::npos && field <= 40; ++field) {
        const std::size_t start = lineEnd + 1;
        lineEnd = input.find('\n', start);
        fields[field] =
            std::string(input.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start));
        // The lenient and strict readers agree wherever the strict one accepts the text, except
        // on carriage returns, which only the strict one takes as blanks.
        const std::string& text = std::get<std::string>(fields[field]);
        const std::optional<double> strict = StrictNumber(text);
        if (strict && text.find('\r') == std::string::npos)
            check(TryVal(text) == strict);
    }

    ExpressionEvaluator evaluator;
    Value result;
    const bool succeeded = evaluator.EvaluateExpression(expression, fields, result);
    checkValue(result);

    // Same input, fresh evaluator, result written into a slot the expression may read.
    ExpressionEvaluator again;
    FieldSlots copy = fields;
    const bool againSucceeded = again.EvaluateExpression(expression, copy, copy[1]);
    check(succeeded == againSucceeded);
    check(copy[1] == result);
    return 0;
}
