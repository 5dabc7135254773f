#pragma once
// Byte strings of the code page to and from the bus's UTF-8 strings.

#include <QString>

#include <string>
#include <string_view>

namespace quorvane {

/// The bus form of a byte string. Bus strings cannot hold NUL: the text ends at the first one, as a
/// DDE text does.
QString toBusText(std::string_view bytes);

/// The byte string of a bus text; characters outside the code page become "?".
std::string fromBusText(const QString& text);

} // namespace quorvane
