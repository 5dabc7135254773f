// Reading the formatting conventions from installed locales without changing the process locale.

#include "expr/FormatLocale.h"
#include "FormatTestSupport.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(FormatLocale, TheCLocaleKeepsTheDefaultsWhereItDefinesNothing) {
    const auto c = test::readLocale("C");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->DecimalPoint, '.');
    EXPECT_EQ(c->ThousandsSeparator, ',');
    EXPECT_EQ(c->CurrencySymbol, "$");
    EXPECT_EQ(c->CurrencyDecimals, 2);
}

TEST(FormatLocale, GermanHasCommaDecimalsAndTheEuroAfterTheAmount) {
    QUORVANE_REQUIRE_GERMAN();
    const FormatLocale& de = *test::germanLocale();
    EXPECT_EQ(de.DecimalPoint, ',');
    EXPECT_EQ(de.ThousandsSeparator, '.');
    EXPECT_EQ(de.MonetaryDecimalPoint, ',');
    EXPECT_EQ(de.CurrencySymbol, "\x80");
    EXPECT_FALSE(de.CurrencyPrecedes);
    EXPECT_EQ(de.CurrencySpacing, 1);
}

TEST(FormatLocale, ReadingDoesNotChangeTheProcessLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    (void)test::readLocale("de_DE.UTF-8");
    EXPECT_EQ(before, std::setlocale(LC_ALL, nullptr));
}

TEST(FormatLocale, AnUnknownLocaleIsNotRead) {
    EXPECT_FALSE(test::readLocale("xx_NOWHERE.UTF-8").has_value());
}

} // namespace
} // namespace quorvane
