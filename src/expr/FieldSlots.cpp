#include "expr/FieldSlots.h"

#include <algorithm>

namespace quorvane {

FieldSlots InitialFieldSlots() {
    FieldSlots slots{};
    ClearFieldSlots(slots, 40);
    return slots;
}

void ClearFieldSlots(FieldSlots& slots, int last) {
    const int end = std::min(last, kFieldSlotCount - 1);
    for (int i = 1; i <= end; ++i)
        slots[static_cast<std::size_t>(i)] = std::string();
}

} // namespace quorvane
