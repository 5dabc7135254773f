#include "expr/NumberText.h"

#include <array>
#include <charconv>

namespace quorvane {

namespace {

std::string generalForm(auto number, int significantDigits) {
    if (number == 0)
        return "0"; // negative zero too
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                      std::chars_format::general, significantDigits);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
    }
    return text;
}

} // namespace

std::string NumberToText(double number) {
    return generalForm(number, 15);
}

std::string NumberToText(float number) {
    return generalForm(number, 7);
}

std::string ValueToText(const Value& value) {
    struct Writer {
        std::string operator()(const EmptyValue&) const { return {}; }
        std::string operator()(double number) const { return NumberToText(number); }
        std::string operator()(float number) const { return NumberToText(number); }
        std::string operator()(std::int16_t number) const { return std::to_string(number); }
        std::string operator()(const TruthValue& truth) const { return truth.Value ? "True" : "False"; }
        std::string operator()(const std::string& text) const { return text; }
    };
    return std::visit(Writer{}, value);
}

} // namespace quorvane
