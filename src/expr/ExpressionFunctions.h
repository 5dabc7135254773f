#pragma once
// The one-argument functions of math expressions (abs, asc, ... val, field).

#include "expr/FieldSlots.h"
#include "expr/RandomSequence.h"
#include "expr/Value.h"

#include <optional>
#include <string_view>

namespace quorvane {

/// The function called name (any case) applied to argument, field(n) reading fields and rnd
/// drawing from random; std::nullopt for an unknown name or a fault in the function.
std::optional<Value> callFunction(std::string_view name, const Value& argument, const FieldSlots& fields,
                                  RandomSequence& random);

} // namespace quorvane
