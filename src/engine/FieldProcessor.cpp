#include "engine/FieldProcessor.h"

#include "expr/NumberText.h"
#include "expr/ValRule.h"
#include "expr/ValueFormat.h"

namespace quorvane {

namespace {

// "&H" or "&O" before the text without its leading blanks, read by the val rule. A number that
// does not fit leaves the text as it was.
void convertRadix(Value& slot, std::string_view prefix) {
    const std::string text = ValueToText(slot);
    const std::size_t start = text.find_first_not_of(" \t");
    std::string literal(prefix);
    if (start != std::string::npos)
        literal.append(text, start);
    if (const std::optional<double> number = TryVal(literal))
        slot = NumberToText(*number);
}

} // namespace

void FieldProcessor::configure(const Settings& settings, const OutputTranslation& translation,
                               const FormatLocale& locale) {
    m_settings = &settings;
    m_translation = &translation;
    m_locale = &locale;
    for (std::size_t f = 0; f < m_kinds.size(); ++f)
        m_kinds[f] = FieldFilterOf(settings.FieldFilter[f]);
}

void FieldProcessor::ProcessField(int field, FieldSlots& slots) {
    const auto f = static_cast<std::size_t>(field);
    Value& slot = slots[f];

    if (m_kinds[f] == FieldFilterKind::HexToDecimal)
        convertRadix(slot, "&H");
    else if (m_kinds[f] == FieldFilterKind::OctalToDecimal)
        convertRadix(slot, "&O");

    // The result lands in the slot whether or not the evaluation succeeds.
    if (const std::string& expression = m_settings->FieldExpression[f]; !expression.empty())
        m_evaluator.EvaluateExpression(expression, slots, slot);

    if (const std::string& format = m_settings->FieldFormat[f]; !format.empty())
        slot = FormatValue(slot, format, *m_locale);

    if (auto* text = std::get_if<std::string>(&slot))
        m_translation->translate(*text);
    else
        slot = [&] {
            std::string shown = ValueToText(slot);
            m_translation->translate(shown);
            return shown;
        }();
}

} // namespace quorvane
