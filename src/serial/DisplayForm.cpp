#include "serial/DisplayForm.h"

#include <algorithm>

namespace quorvane {

std::string DisplayForm(std::string_view bytes) {
    std::string shown(bytes);
    std::replace(shown.begin(), shown.end(), '\0', '\xFF');
    return shown;
}

} // namespace quorvane
