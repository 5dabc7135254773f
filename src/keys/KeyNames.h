#pragma once
// The names of keys that a macro text writes in braces, as in {ENTER} or {F5}.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvane {

/// The virtual-key code of a key name of two or more characters (any case, surrounding blanks
/// ignored), or nothing for a name that is not in the table.
std::optional<std::uint16_t> keyCodeOfName(std::string_view name);

} // namespace quorvane
