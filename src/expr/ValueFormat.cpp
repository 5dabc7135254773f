#include "expr/ValueFormat.h"

#include "expr/DatePicture.h"
#include "expr/DecimalDigits.h"
#include "expr/NumberPicture.h"
#include "expr/NumberText.h"
#include "expr/NumericText.h"
#include "expr/PictureSections.h"
#include "expr/TextPicture.h"

#include <array>
#include <cmath>
#include <optional>
#include <variant>

namespace quorvane {

namespace {

struct Number {
    double Binary;         // for dates
    DecimalDigits Decimal; // for showing
    bool Single = false;   // shown with single precision
    std::string Source;    // the text it was read from; what "unchanged" gives back
};

// What the formatter sees: nothing, a number, a text that is not a number, or a date.
using Input = std::variant<std::monostate, Number, std::string, LocalDateTime>;

enum class Named {
    GeneralNumber,
    Currency,
    Fixed,
    Standard,
    Percent,
    Scientific,
    YesNo,
    TrueFalse,
    OnOff,
    GeneralDate,
    LongDate,
    MediumDate,
    ShortDate,
    LongTime,
    MediumTime,
    ShortTime
};

struct NamedFormat {
    std::string_view Name;
    Named Which;
};

constexpr std::array<NamedFormat, 16> kNamed{{
    {"general number", Named::GeneralNumber},
    {"currency", Named::Currency},
    {"fixed", Named::Fixed},
    {"standard", Named::Standard},
    {"percent", Named::Percent},
    {"scientific", Named::Scientific},
    {"yes/no", Named::YesNo},
    {"true/false", Named::TrueFalse},
    {"on/off", Named::OnOff},
    {"general date", Named::GeneralDate},
    {"long date", Named::LongDate},
    {"medium date", Named::MediumDate},
    {"short date", Named::ShortDate},
    {"long time", Named::LongTime},
    {"medium time", Named::MediumTime},
    {"short time", Named::ShortTime},
}};

std::optional<Named> namedFormat(std::string_view format) {
    for (const NamedFormat& n : kNamed) {
        if (n.Name.size() != format.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < format.size() && same; ++i) {
            same = lowerByte(format[i]) == n.Name[i];
        }
        if (same) {
            return n.Which;
        }
    }
    return std::nullopt;
}

Number numberFromDouble(double x) {
    return {x, decimalFromDouble(x), false, {}};
}

Input inputFromValue(const Value& value, const FormatLocale& locale) {
    struct Visitor {
        const FormatLocale& Locale;
        Input operator()(const EmptyValue&) const { return std::monostate{}; }
        Input operator()(double x) const {
            if (!std::isfinite(x)) {
                return std::string(std::isnan(x) ? "NaN" : x < 0 ? "-Infinity" : "Infinity");
            }
            return numberFromDouble(x);
        }
        Input operator()(float x) const {
            if (!std::isfinite(x)) {
                return (*this)(static_cast<double>(x));
            }
            return Number{static_cast<double>(x), decimalFromFloat(x), true, {}};
        }
        Input operator()(std::int16_t x) const {
            return Number{static_cast<double>(x), decimalFromInteger(x), false, {}};
        }
        Input operator()(TruthValue t) const {
            // Text pictures show a truth value as its word.
            return Number{t.Value ? -1.0 : 0.0, decimalFromInteger(t.Value ? -1 : 0), false, ValueToText(t)};
        }
        Input operator()(const std::string& s) const {
            if (s.empty()) {
                return std::monostate{};
            }
            if (const auto x = numberFromText(s, Locale)) {
                Number n = numberFromDouble(*x);
                n.Source = s;
                return n;
            }
            return s;
        }
    };
    return std::visit(Visitor{locale}, value);
}

// Numbers as everywhere else in the program, with the user's decimal separator.
std::string generalNumber(const Number& n, const FormatLocale& locale) {
    std::string text = n.Single ? NumberToText(static_cast<float>(n.Binary)) : NumberToText(n.Binary);
    for (char& c : text) {
        c = c == '.' ? locale.DecimalPoint : c;
    }
    return text;
}

// The form a value takes where a text is wanted.
std::string plainText(const Input& input, const FormatLocale& locale) {
    if (const auto* n = std::get_if<Number>(&input)) {
        return n->Source.empty() ? generalNumber(*n, locale) : n->Source;
    }
    if (const auto* s = std::get_if<std::string>(&input)) {
        return *s;
    }
    if (const auto* d = std::get_if<LocalDateTime>(&input)) {
        return formatDatePicture(*d, "c", locale);
    }
    return {};
}

std::optional<Number> asNumber(const Input& input) {
    if (const auto* n = std::get_if<Number>(&input)) {
        return *n;
    }
    if (const auto* d = std::get_if<LocalDateTime>(&input)) {
        return numberFromDouble(serialFromDateTime(*d));
    }
    return std::nullopt;
}

std::optional<LocalDateTime> asDate(const Input& input) {
    if (const auto* d = std::get_if<LocalDateTime>(&input)) {
        return *d;
    }
    if (const auto* n = std::get_if<Number>(&input)) {
        return dateTimeFromSerial(n->Binary);
    }
    return std::nullopt;
}

// Sections: positive (and the default for the others), negative, zero, empty. The section chosen
// for a negative number carries its own signs; the first section gets a minus in front unless
// what it shows is zero.
std::string formatNumberSections(const Number& number, const std::vector<std::string_view>& sections,
                                 const FormatLocale& locale) {
    const bool zero = number.Decimal.isZero();
    const bool negative = number.Decimal.Negative && !zero;
    std::size_t chosen = 0;
    if (negative && sections.size() >= 2 && !sections[1].empty()) {
        chosen = 1;
    } else if (zero && sections.size() >= 3 && !sections[2].empty()) {
        chosen = 2;
    }
    const NumberPictureResult r =
        formatNumberPicture(number.Decimal, sections[chosen], locale.DecimalPoint, locale.ThousandsSeparator);
    return negative && chosen == 0 && !r.ShowsZero ? "-" + r.Text : r.Text;
}

std::string currencyText(const Number& number, const FormatLocale& locale) {
    std::string picture = "#,##0";
    if (locale.CurrencyDecimals > 0) {
        picture += '.';
        picture.append(static_cast<std::size_t>(locale.CurrencyDecimals), '0');
    }
    const NumberPictureResult r = formatNumberPicture(number.Decimal, picture, locale.MonetaryDecimalPoint,
                                                      locale.MonetaryThousandsSeparator);
    const std::string& symbol = locale.CurrencySymbol;
    const std::string& amount = r.Text;
    if (!number.Decimal.Negative || r.ShowsZero) {
        const std::string space = locale.CurrencySpacing == 1 ? " " : "";
        return locale.CurrencyPrecedes ? symbol + space + amount : amount + space + symbol;
    }
    const bool before = locale.NegativeCurrencyPrecedes;
    const std::string symbolSpace = locale.NegativeCurrencySpacing == 1 ? " " : "";
    const std::string signSpace = locale.NegativeCurrencySpacing == 2 ? " " : "";
    const std::string plain = before ? symbol + symbolSpace + amount : amount + symbolSpace + symbol;
    switch (locale.NegativeSignPosition) {
    case 0:
        return "(" + plain + ")";
    case 2:
        return plain + signSpace + "-";
    case 3:
        return before ? "-" + signSpace + plain : amount + symbolSpace + "-" + signSpace + symbol;
    case 4:
        return before ? symbol + signSpace + "-" + symbolSpace + amount : plain + signSpace + "-";
    default:
        return "-" + signSpace + plain;
    }
}

std::string formatNamed(Named which, const Input& input, const FormatLocale& locale) {
    if (std::holds_alternative<std::monostate>(input)) {
        return {};
    }
    switch (which) {
    case Named::GeneralDate:
    case Named::LongDate:
    case Named::MediumDate:
    case Named::ShortDate:
    case Named::LongTime:
    case Named::MediumTime:
    case Named::ShortTime: {
        const auto date = asDate(input);
        if (!date) {
            return plainText(input, locale);
        }
        static constexpr std::array<std::string_view, 7> kPictures{
            "c", "dddddd", "dd-mmm-yy", "ddddd", "ttttt", "hh:nn AM/PM", "hh:nn"};
        return formatDatePicture(
            *date, kPictures[static_cast<std::size_t>(which) - static_cast<std::size_t>(Named::GeneralDate)],
            locale);
    }
    default:
        break;
    }
    const auto number = asNumber(input);
    if (!number) {
        return plainText(input, locale);
    }
    const bool zero = number->Decimal.isZero();
    switch (which) {
    case Named::GeneralNumber:
        return generalNumber(*number, locale);
    case Named::Currency:
        return currencyText(*number, locale);
    case Named::Fixed:
        return formatNumberSections(*number, {"0.00"}, locale);
    case Named::Standard:
        return formatNumberSections(*number, {"#,##0.00"}, locale);
    case Named::Percent:
        return formatNumberSections(*number, {"0.00%"}, locale);
    case Named::Scientific:
        return formatNumberSections(*number, {"0.00E+00"}, locale);
    case Named::YesNo:
        return zero ? "No" : "Yes";
    case Named::TrueFalse:
        return zero ? "False" : "True";
    case Named::OnOff:
        return zero ? "Off" : "On";
    default:
        return plainText(input, locale);
    }
}

std::string formatInput(const Input& input, std::string_view format, const FormatLocale& locale) {
    if (format.empty()) {
        return std::holds_alternative<LocalDateTime>(input) ? formatNamed(Named::GeneralDate, input, locale)
                                                            : plainText(input, locale);
    }
    if (const auto which = namedFormat(format)) {
        return formatNamed(*which, input, locale);
    }
    const std::vector<std::string_view> sections = splitSections(format);
    const bool empty = std::holds_alternative<std::monostate>(input);
    switch (pictureKind(sections[0])) {
    case PictureKind::Text: {
        const std::string_view section = empty && sections.size() >= 2 ? sections[1] : sections[0];
        return formatTextPicture(plainText(input, locale), section);
    }
    case PictureKind::Date: {
        const auto date = asDate(input);
        return date ? formatDatePicture(*date, sections[0], locale) : plainText(input, locale);
    }
    case PictureKind::Number:
        break;
    }
    if (empty) {
        return sections.size() >= 4
                   ? formatNumberPicture({}, sections[3], locale.DecimalPoint, locale.ThousandsSeparator).Text
                   : std::string();
    }
    const auto number = asNumber(input);
    return number ? formatNumberSections(*number, sections, locale) : plainText(input, locale);
}

} // namespace

std::string FormatValue(const Value& value, std::string_view format, const FormatLocale& locale) {
    return formatInput(inputFromValue(value, locale), format, locale);
}

std::string FormatDateTime(const LocalDateTime& when, std::string_view format, const FormatLocale& locale) {
    LocalDateTime whole = when;
    whole.Millisecond = 0;
    return formatInput(whole, format, locale);
}

char DecimalSeparator(const FormatLocale& locale) {
    return FormatValue(std::string(".1"), "0.0", locale).find(',') != std::string::npos ? ',' : '.';
}

} // namespace quorvane
