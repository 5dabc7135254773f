#pragma once
// The value slots in which a record's fields grow and are processed.

#include <array>

#include "expr/Value.h"

namespace quorvane {

/// Slot n holds field n of the record being built (1..40); slot 0 is never written and slot 41
/// is the overflow position of framing.
inline constexpr int kFieldSlotCount = 42;
using FieldSlots = std::array<Value, kFieldSlotCount>;

/// Slots as the runtime window's load leaves them: 1..40 empty text, 0 and 41 empty.
FieldSlots InitialFieldSlots();

/// Sets slots 1..last to empty text (last is clamped to the slot range).
void ClearFieldSlots(FieldSlots& slots, int last);

} // namespace quorvane
