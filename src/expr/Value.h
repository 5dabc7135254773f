#pragma once
// The values that field slots hold and that expressions compute.

#include <cstdint>
#include <string>
#include <variant>

namespace quorvane {

/// A slot that was never filled.
struct EmptyValue {
    bool operator==(const EmptyValue&) const = default;
};

/// The result of a comparison: true takes part in arithmetic as -1, false as 0.
struct TruthValue {
    bool Value = false;
    bool operator==(const TruthValue&) const = default;
};

/// Empty, a double, a single (results of rnd), a 16-bit integer (results of asc and sgn),
/// a truth value, or a byte string.
using Value = std::variant<EmptyValue, double, float, std::int16_t, TruthValue, std::string>;

} // namespace quorvane
