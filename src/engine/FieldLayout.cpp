#include "engine/FieldLayout.h"

#include <algorithm>

namespace quorvane {

FieldDisplayLayout LayOutFieldDisplay(int fieldCount, int shownButtons) {
    FieldDisplayLayout layout;
    layout.FirstColumnRows =
        fieldCount <= shownButtons ? fieldCount : std::max((fieldCount + 1) / 2, shownButtons);
    layout.WindowHeight = 100 + std::max((shownButtons + 1) * kRowPitchTwips + 950,
                                         layout.FirstColumnRows * kRowPitchTwips + 1200);
    return layout;
}

} // namespace quorvane
