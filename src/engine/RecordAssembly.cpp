#include "engine/RecordAssembly.h"

#include <algorithm>

#include "expr/DateCodes.h"
#include "expr/NumberText.h"

namespace quorvane {

namespace {

// Date codes all start with a brace; a text without one is copied without reading the clock.
void appendExpanded(std::string& text, const std::string& macro, const Clock& clock) {
    // Pre- and postambles are a few bytes, mostly none: a plain search beats a call to memchr.
    if (std::find(macro.begin(), macro.end(), '{') == macro.end())
        text += macro;
    else
        text += ExpandDateCodes(macro, clock);
}

} // namespace

void AssembleRecordText(const Settings& settings, const FieldSlots& slots, int fieldCount, const Clock& clock,
                        std::string& text) {
    text.clear();
    appendExpanded(text, settings.RecordPreamble, clock);
    for (int i = 1; i <= fieldCount; ++i) {
        const auto f = static_cast<std::size_t>(i);
        if (const auto* value = std::get_if<std::string>(&slots[f]))
            text += *value;
        else
            text += ValueToText(slots[f]);
        appendExpanded(text, settings.FieldPostamble[f], clock);
    }
}

} // namespace quorvane
