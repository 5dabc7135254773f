#include "expr/ExpressionFunctions.h"

#include "expr/ExpressionOperators.h"
#include "expr/NumberText.h"
#include "expr/ValRule.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace quorvane {

namespace {

enum class Function {
    Abs,
    Asc,
    Atn,
    Cos,
    Exp,
    Fix,
    Hex,
    Int,
    LCase,
    Log,
    LTrim,
    Rnd,
    RTrim,
    Sgn,
    Sin,
    Sqr,
    Tan,
    Trim,
    UCase,
    Val,
    Field,
    Unknown,
};

constexpr std::array<std::pair<std::string_view, Function>, 21> kFunctions{{
    {"abs", Function::Abs},     {"asc", Function::Asc},   {"atn", Function::Atn},     {"cos", Function::Cos},
    {"exp", Function::Exp},     {"fix", Function::Fix},   {"hex", Function::Hex},     {"int", Function::Int},
    {"lcase", Function::LCase}, {"log", Function::Log},   {"ltrim", Function::LTrim}, {"rnd", Function::Rnd},
    {"rtrim", Function::RTrim}, {"sgn", Function::Sgn},   {"sin", Function::Sin},     {"sqr", Function::Sqr},
    {"tan", Function::Tan},     {"trim", Function::Trim}, {"ucase", Function::UCase}, {"val", Function::Val},
    {"field", Function::Field},
}};

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

Function functionNamed(std::string_view name) {
    for (const auto& [lowerName, function] : kFunctions) {
        if (lowerName.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = asciiLower(name[i]) == lowerName[i];
        if (same)
            return function;
    }
    return Function::Unknown;
}

// Case mapping of the Windows-1252 code page in which field texts are kept: ASCII, the Latin-1
// letters except the multiplication and division signs, and S/Z caron, OE and Y diaeresis.
unsigned char lowerCase1252(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + 0x10);
    if (c == 0x9F)
        return 0xFF;
    return c;
}

unsigned char upperCase1252(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 0x20);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return static_cast<unsigned char>(c - 0x10);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

template <typename Mapping>
std::string mapCharacters(std::string text, Mapping mapping) {
    for (char& c : text)
        c = static_cast<char>(mapping(static_cast<unsigned char>(c)));
    return text;
}

std::string trimSpaces(const std::string& text, bool leading, bool trailing) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (leading && first < last && text[first] == ' ')
        ++first;
    while (trailing && last > first && text[last - 1] == ' ')
        --last;
    return text.substr(first, last - first);
}

// A double result of a numeric function; infinities (exp overflow) and NaN are faults.
std::optional<Value> finiteNumber(double number) {
    if (!std::isfinite(number))
        return std::nullopt;
    return Value(number + 0.0);
}

template <typename Operation>
std::optional<Value> numericFunction(const Value& argument, Operation operation) {
    const std::optional<double> number = strictNumber(argument);
    if (!number)
        return std::nullopt;
    return finiteNumber(operation(*number));
}

// abs, fix and int keep the argument's numeric type, like the arithmetic operators.
template <typename Operation>
std::optional<Value> typeKeepingFunction(const Value& argument, Operation operation) {
    if (const auto* single = std::get_if<float>(&argument))
        return Value(static_cast<float>(operation(static_cast<double>(*single)) + 0.0));
    const std::optional<double> number = strictNumber(argument);
    if (!number)
        return std::nullopt;
    const double result = operation(*number) + 0.0;
    if (isInteger16Like(argument) && result <= 32767.0)
        return Value(static_cast<std::int16_t>(result));
    return Value(result);
}

std::optional<Value> hexText(const Value& argument) {
    const std::optional<std::int32_t> number = wholeNumber(argument);
    if (!number)
        return std::nullopt;
    // 16-bit integers and truth values are written in 16-bit two's complement: hex(sgn(-5)) is FFFF.
    const std::uint32_t bits = isInteger16Like(argument)
                                   ? static_cast<std::uint16_t>(static_cast<std::int16_t>(*number))
                                   : static_cast<std::uint32_t>(*number);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const std::uint32_t digit = (bits >> shift) & 0xFu;
        if (digit != 0 || !text.empty() || shift == 0)
            text.push_back(kDigits[digit]);
    }
    return Value(std::move(text));
}

std::optional<Value> randomNumber(const Value& argument, RandomSequence& random) {
    const std::optional<double> number = strictNumber(argument);
    if (!number)
        return std::nullopt;
    if (*number < 0)
        return Value(random.reseed(*number));
    if (*number > 0)
        return Value(random.next());
    return Value(random.last());
}

std::optional<Value> fieldValue(const Value& argument, const FieldSlots& fields) {
    const std::optional<std::int32_t> number = wholeNumber(argument);
    if (!number || *number < 0 || *number >= kFieldSlotCount)
        return std::nullopt;
    return fields[static_cast<std::size_t>(*number)];
}

} // namespace

std::optional<Value> callFunction(std::string_view name, const Value& argument, const FieldSlots& fields,
                                  RandomSequence& random) {
    switch (functionNamed(name)) {
    case Function::Abs:
        return typeKeepingFunction(argument, [](double x) { return std::fabs(x); });
    case Function::Asc: {
        const std::string text = ValueToText(argument);
        if (text.empty())
            return std::nullopt;
        return Value(static_cast<std::int16_t>(static_cast<unsigned char>(text.front())));
    }
    case Function::Atn:
        return numericFunction(argument, [](double x) { return std::atan(x); });
    case Function::Cos:
        return numericFunction(argument, [](double x) { return std::cos(x); });
    case Function::Exp:
        return numericFunction(argument, [](double x) { return std::exp(x); });
    case Function::Fix:
        return typeKeepingFunction(argument, [](double x) { return std::trunc(x); });
    case Function::Hex:
        return hexText(argument);
    case Function::Int:
        return typeKeepingFunction(argument, [](double x) { return std::floor(x); });
    case Function::LCase:
        return Value(mapCharacters(ValueToText(argument), lowerCase1252));
    case Function::Log:
        return numericFunction(argument, [](double x) {
            return x > 0 ? std::log(x) : std::numeric_limits<double>::quiet_NaN();
        });
    case Function::LTrim:
        return Value(trimSpaces(ValueToText(argument), true, false));
    case Function::Rnd:
        return randomNumber(argument, random);
    case Function::RTrim:
        return Value(trimSpaces(ValueToText(argument), false, true));
    case Function::Sgn: {
        const std::optional<double> number = strictNumber(argument);
        if (!number)
            return std::nullopt;
        return Value(static_cast<std::int16_t>(*number > 0 ? 1 : (*number < 0 ? -1 : 0)));
    }
    case Function::Sin:
        return numericFunction(argument, [](double x) { return std::sin(x); });
    case Function::Sqr:
        return numericFunction(argument, [](double x) {
            return x >= 0 ? std::sqrt(x) : std::numeric_limits<double>::quiet_NaN();
        });
    case Function::Tan:
        return numericFunction(argument, [](double x) { return std::tan(x); });
    case Function::Trim:
        return Value(trimSpaces(ValueToText(argument), true, true));
    case Function::UCase:
        return Value(mapCharacters(ValueToText(argument), upperCase1252));
    case Function::Val: {
        const auto* text = std::get_if<std::string>(&argument);
        const std::optional<double> number = text ? TryVal(*text) : TryVal(ValueToText(argument));
        if (!number)
            return std::nullopt;
        return Value(*number);
    }
    case Function::Field:
        return fieldValue(argument, fields);
    case Function::Unknown:
        break;
    }
    return std::nullopt;
}

} // namespace quorvane
