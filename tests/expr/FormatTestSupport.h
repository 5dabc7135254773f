#pragma once
// Shared pieces of the value-format tests: locales and a readable form of table rows.

#include "config/CodePage.h"
#include "expr/FormatLocale.h"
#include "expr/NumberText.h"
#include "expr/Value.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace quorvane::test {

/// The "C" conventions: "." decimals, "," thousands, "$" before the amount.
inline const FormatLocale& cLocale() {
    static const FormatLocale locale{};
    return locale;
}

/// The named locale read from the system, its texts in the program's code page.
inline std::optional<FormatLocale> readLocale(const char* name) {
    return FormatLocale::fromLocale(name, [](std::string_view utf8) { return Utf8ToBytes(utf8); });
}

/// de_DE.UTF-8 read from the system, or nullptr when it is not installed (scripts/install-locales).
inline const FormatLocale* germanLocale() {
    static const auto locale = readLocale("de_DE.UTF-8");
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
