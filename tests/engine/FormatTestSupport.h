#pragma once
// Shared pieces of the value-format tests: locales and a readable form of table rows.

#include "engine/FormatLocale.h"
#include "engine/NumberText.h"
#include "engine/Value.h"

#include <ostream>
#include <string>

namespace quorvane::test {

/// The "C" conventions: "." decimals, "," thousands, "$" before the amount.
inline const FormatLocale& cLocale() {
    static const FormatLocale locale{};
    return locale;
}

/// de_DE.UTF-8 read from the system, or nullptr when it is not installed (scripts/install-locales).
inline const FormatLocale* germanLocale() {
    static const auto locale = FormatLocale::fromLocale("de_DE.UTF-8");
    return locale ? &*locale : nullptr;
}

/// One row of a format table.
struct FormatCase {
    Value Input;
    std::string Format;
    std::string Expected;
};

inline std::string describe(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) {
        return "text \"" + *s + "\"";
    }
    if (std::holds_alternative<EmptyValue>(v)) {
        return "empty";
    }
    if (std::holds_alternative<TruthValue>(v)) {
        return "truth " + ValueToText(v);
    }
    return "number " + ValueToText(v);
}

inline void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << describe(c.Input) << " with \"" << c.Format << "\" -> \"" << c.Expected << "\"";
}

} // namespace quorvane::test

#define QUORVANE_REQUIRE_GERMAN()                                                                            \
    if (::quorvane::test::germanLocale() == nullptr) {                                                       \
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/install-locales)";                            \
    }
