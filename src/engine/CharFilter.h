#pragma once
// The per-field character filter applied while framing fills a field.

#include "config/Configuration.h"
#include "engine/EngineState.h"
#include "engine/output/OutputTranslation.h"

#include <array>

namespace quorvane {

/// What one byte adds to its field: nothing, its character, or two hexadecimal digits.
struct FilterResult {
    std::array<char, 2> Chars{};
    unsigned char Length = 0;
};

/// FieldFilter letters as the engine reads them; anything unknown is "C" (no filter).
enum class FieldFilterKind : unsigned char {
    None,
    IgnoreField,
    NumericOnly,
    HexToDecimal,
    OctalToDecimal,
    BinaryToHex
};

/// The filter letter of a field setting ("CINHOB").
FieldFilterKind FieldFilterOf(const std::string& letter);

/// FilterChar for every field, with its tables built once per start-up.
class CharFilter {
public:
    /// Takes the field filters, whether output is to the log (nothing dropped), the drop flags of
    /// the output translation, and the system decimal separator.
    void configure(const Settings& settings, const OutputTranslation& translation, char decimalSeparator);

    /// What byte c adds to field f (1..41; the overflow field 41 takes nothing).
    FilterResult FilterChar(unsigned char c, int field) const {
        if (field < 1 || field >= kOverflowField)
            return {};
        switch (m_kinds[static_cast<std::size_t>(field)]) {
        case FieldFilterKind::IgnoreField:
            return {};
        case FieldFilterKind::NumericOnly:
            return m_numeric[c] ? single(c) : FilterResult{};
        case FieldFilterKind::BinaryToHex:
            return hex(c);
        default:
            return m_kept[c] ? single(c) : FilterResult{};
        }
    }

    /// The bytes that add exactly themselves to field f, or null when the field's filter changes or
    /// drops bytes in a way a table cannot say.
    const std::array<bool, kCharCodes>* keptAsIs(int field) const {
        if (field < 1 || field >= kOverflowField)
            return nullptr;
        switch (m_kinds[static_cast<std::size_t>(field)]) {
        case FieldFilterKind::IgnoreField:
        case FieldFilterKind::BinaryToHex:
            return nullptr;
        case FieldFilterKind::NumericOnly:
            return &m_numeric;
        default:
            return &m_kept;
        }
    }

    /// True for the digits, "-" and the decimal separator.
    bool isNumeric(unsigned char c) const { return m_numeric[c]; }

private:
    static FilterResult single(unsigned char c) { return {{static_cast<char>(c), '\0'}, 1}; }
    static FilterResult hex(unsigned char c) {
        constexpr char kDigits[] = "0123456789ABCDEF";
        return {{kDigits[c >> 4], kDigits[c & 15]}, 2};
    }

    FieldArray<FieldFilterKind> m_kinds{};
    // Bytes the output translation does not drop.
    std::array<bool, kCharCodes> m_kept{};
    std::array<bool, kCharCodes> m_numeric{};
};

} // namespace quorvane
