#include "engine/CharFilter.h"

namespace quorvane {

FieldFilterKind FieldFilterOf(const std::string& letter) {
    switch (letter.empty() ? 'C' : letter[0]) {
    case 'I':
        return FieldFilterKind::IgnoreField;
    case 'N':
        return FieldFilterKind::NumericOnly;
    case 'H':
        return FieldFilterKind::HexToDecimal;
    case 'O':
        return FieldFilterKind::OctalToDecimal;
    case 'B':
        return FieldFilterKind::BinaryToHex;
    default:
        return FieldFilterKind::None;
    }
}

void CharFilter::configure(const Settings& settings, const OutputTranslation& translation,
                           char decimalSeparator) {
    for (std::size_t f = 0; f < m_kinds.size(); ++f)
        m_kinds[f] = FieldFilterOf(settings.FieldFilter[f]);
    // Log output keeps every character; keystroke and DDE output drop those translated to code 0.
    const bool logMode = settings.OutputMode == 2;
    for (int c = 0; c < kCharCodes; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        m_kept[byte] = logMode || !translation.drops(byte);
        m_numeric[byte] =
            (c >= '0' && c <= '9') || c == '-' || c == static_cast<unsigned char>(decimalSeparator);
    }
}

} // namespace quorvane
