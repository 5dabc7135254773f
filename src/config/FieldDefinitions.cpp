#include "config/FieldDefinitions.h"

#include "config/ConfigLimits.h"
#include "config/RecordRules.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace quorvane {

namespace {

constexpr std::string_view kFilterCodes = "CIN";
constexpr std::string_view kAllFilterCodes = "CINHOB";
constexpr int kMaxLength = 32766;

std::size_t at(int field) {
    return static_cast<std::size_t>(field);
}

} // namespace

FieldWorkingCopy LoadFieldWorkingCopy(const Settings& settings) {
    return FieldWorkingCopy{settings.FieldFilter, settings.FieldLength, settings.FieldPostamble,
                            settings.FieldFormat, settings.FieldExpression};
}

int SumOfFieldLengths(const FieldWorkingCopy& copy) {
    int sum = 0;
    for (int i = 1; i <= kMaxFields; ++i)
        sum += copy.Length[at(i)];
    return sum > kMaxLength ? kMaxLength + 1 : sum;
}

bool FixedRecordNextEnabled(const Settings& settings, const FieldWorkingCopy& copy, int field) {
    if (field < 1 || field >= kMaxFields)
        return false;
    return copy.Length[at(field + 1)] != 0 || SumOfFieldLengths(copy) < settings.RecordLength;
}

std::string SignedNumberText(std::int64_t value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

std::string FieldLengthSumMessage(std::int16_t recordLength) {
    return "Total sum of field lengths is not equal to the total record length. (" +
           SignedNumberText(recordLength) + ").";
}

std::optional<int> FilterListIndex(std::string_view code) {
    if (code.size() != 1)
        return std::nullopt;
    const auto index = kFilterCodes.find(code[0]);
    if (index == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(index);
}

std::string FilterCaption(std::string_view code) {
    static constexpr std::string_view kOtherCaptions[] = {"Hex To Decimal", "Octal To Decimal",
                                                          "Binary To Hex"};
    if (const auto index = FilterListIndex(code))
        return std::string(kFilterCaptions[static_cast<std::size_t>(*index)]);
    if (code.size() == 1)
        if (const auto other = kAllFilterCodes.find(code[0]); other != std::string_view::npos && other >= 3)
            return std::string(kOtherCaptions[other - 3]);
    return "Filter " + std::string(code);
}

FieldLengthChange FieldLengthTyped(const Settings& settings, std::string_view text) {
    const std::int64_t value = LeadingNumber(text);
    if (value > kMaxLength)
        return {std::nullopt, CheckFieldLength(value)};
    if (settings.RecordStructure == 2 || settings.EndOfRecordEvent == 2)
        return {static_cast<std::int16_t>(value), std::nullopt};
    return {};
}

std::optional<std::string> CommitFieldDefinitions(Configuration& config, const FieldWorkingCopy& copy,
                                                  const std::string& preamble) {
    if (config.EndOfRecordEvent == 2 && SumOfFieldLengths(copy) != config.RecordLength)
        return FieldLengthSumMessage(config.RecordLength);
    if (config.RecordStructure == 2) {
        for (int i = 1; i <= kMaxFields; ++i) {
            if (copy.Length[at(i)] == 0) {
                // A record always has its first field, even before its length is given.
                config.FieldCount = static_cast<std::int16_t>(std::max(i - 1, 1));
                break;
            }
        }
    }
    config.RecordPreamble = preamble;
    for (int i = 1; i <= kMaxFields; ++i) {
        const std::size_t f = at(i);
        if (config.FieldFilter[f] != copy.Filter[f] || config.FieldExpression[f] != copy.Expression[f] ||
            config.FieldLength[f] != copy.Length[f] || config.FieldPostamble[f] != copy.Postamble[f] ||
            config.FieldFormat[f] != copy.Format[f])
            config.ConfigChanged = kTrue;
    }
    config.FieldFilter = copy.Filter;
    config.FieldExpression = copy.Expression;
    config.FieldLength = copy.Length;
    config.FieldPostamble = copy.Postamble;
    config.FieldFormat = copy.Format;
    return std::nullopt;
}

} // namespace quorvane
