#pragma once
// Processing of a completed record's fields: conversion, expression, format, output translation.

#include "config/Configuration.h"
#include "engine/CharFilter.h"
#include "engine/output/OutputTranslation.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/FieldSlots.h"
#include "expr/FormatLocale.h"

namespace quorvane {

/// Runs ProcessField over the fields of a record. Holds the expression evaluator, whose random
/// sequence lives on from record to record.
class FieldProcessor {
public:
    /// Reads the field settings from settings (kept by reference), the output translation table
    /// and the format conventions (both kept by reference).
    void configure(const Settings& settings, const OutputTranslation& translation,
                   const FormatLocale& locale);

    /// Transforms slots[field] in place; lower-numbered fields are expected to be processed first.
    void ProcessField(int field, FieldSlots& slots);

private:
    const Settings* m_settings = nullptr;
    const OutputTranslation* m_translation = nullptr;
    const FormatLocale* m_locale = nullptr;
    FieldArray<FieldFilterKind> m_kinds{};
    ExpressionEvaluator m_evaluator;
};

} // namespace quorvane
