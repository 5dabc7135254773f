#pragma once
// The field editor's working copy and the rules that decide what it stores: the sum of lengths,
// when the next field may be defined, the length box, and the commit with its checks.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// The five items of fields 1..40 as the editor holds them until OK.
struct FieldWorkingCopy {
    FieldArray<std::string> Filter{};
    FieldArray<std::int16_t> Length{};
    FieldArray<std::string> Postamble{};
    FieldArray<std::string> Format{};
    FieldArray<std::string> Expression{};
};

/// The working copy of the stored field definitions.
FieldWorkingCopy LoadFieldWorkingCopy(const Settings& settings);

/// Working lengths of fields 1..40 added up, 32767 when the sum passes 32766.
int SumOfFieldLengths(const FieldWorkingCopy& copy);

/// With a fixed byte count ending the record: whether field n may be followed by n+1, that is
/// field n+1 already has a length or the lengths do not yet fill the record.
bool FixedRecordNextEnabled(const Settings& settings, const FieldWorkingCopy& copy, int field);

/// A number as the setup dialogs write it in messages: a blank before a non-negative number.
std::string SignedNumberText(std::int64_t value);

/// The warning shown when the lengths do not add up to the record length.
std::string FieldLengthSumMessage(std::int16_t recordLength);

/// The list entry of a stored filter code: 0 "C", 1 "I", 2 "N"; nullopt for the codes the list does
/// not offer (H, O, B), which the editor adds as a fourth entry while such a field is shown.
std::optional<int> FilterListIndex(std::string_view code);
/// The caption of any stored filter code: the list's for C, I, N, "Hex To Decimal", "Octal To
/// Decimal" and "Binary To Hex" for H, O, B, and "Filter " with the code for anything else.
std::string FilterCaption(std::string_view code);
/// The captions of the filter list, in list order.
inline constexpr std::string_view kFilterCaptions[] = {"None (No Filter)", "Ignore This Field",
                                                       "Numeric Data Only"};

/// What a change of the length box's text does: the length to store, or the refusal message.
struct FieldLengthChange {
    std::optional<std::int16_t> Store;
    std::optional<std::string> Refusal;
};
/// Above 32766 is refused; otherwise the value is stored when the record has fixed-length fields or a
/// fixed byte count (an empty box is 0).
FieldLengthChange FieldLengthTyped(const Settings& settings, std::string_view text);

/// OK of the field editor: with a fixed byte count the lengths must add up to RecordLength
/// (else the message, nothing committed). Fixed-length fields count up to the first field without a
/// length (at least one field). Sets ConfigChanged for each field that differs, then commits the
/// working copy and the preamble.
std::optional<std::string> CommitFieldDefinitions(Configuration& config, const FieldWorkingCopy& copy,
                                                  const std::string& preamble);

} // namespace quorvane
