#pragma once
// How bytes are shown in character entry boxes and the virtual device window.

#include <string>
#include <string_view>

namespace quorvane {

/// `bytes` with every NUL shown as the character of code 255.
std::string DisplayForm(std::string_view bytes);

} // namespace quorvane
