#pragma once
// The record text that keystroke and log output deliver.

#include "config/Configuration.h"
#include "expr/FieldSlots.h"
#include "platform/Clock.h"

#include <string>

namespace quorvane {

/// The expanded record preamble, then each processed field of 1..fieldCount followed by its
/// expanded postamble, into text (replaced). Preamble and postambles are not output-translated.
void AssembleRecordText(const Settings& settings, const FieldSlots& slots, int fieldCount, const Clock& clock,
                        std::string& text);

} // namespace quorvane
