#pragma once
// A readable listing of every setting, for users and scripts.

#include <string>
#include <string_view>

#include "config/Configuration.h"

namespace quorvane {

/// Every setting as "Name=value" lines (arrays as "Name[i]=value"), in the order of the settings
/// tables; texts with C escapes.
std::string DumpSettings(const Settings& settings);

/// C escapes for a byte string: \r \n \t \\ and \xNN for other bytes below 32 or above 126.
std::string EscapeBytes(std::string_view bytes);
/// EscapeBytes appended to `out`: plain ASCII whatever the bytes.
void AppendEscapedBytes(std::string& out, std::string_view bytes);

} // namespace quorvane
