// The character filter, ProcessField (conversion, expression, format, output translation), the
// output translation tables of the three modes and the assembled record text. The formats and
// the evaluator have their own tests; here only how processing chains them.

#include "EngineTestSupport.h"
#include "engine/FieldProcessor.h"
#include "engine/RecordAssembly.h"

#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

std::string filtered(const CharFilter& filter, std::string_view bytes, int field = 1) {
    std::string out;
    for (const char c : bytes) {
        const FilterResult r = filter.FilterChar(static_cast<unsigned char>(c), field);
        out.append(r.Chars.data(), r.Length);
    }
    return out;
}

class CharFilterTest : public ::testing::Test {
protected:
    CharFilter configured(std::string letter, std::int16_t mode, char separator = '.') {
        settings.FieldFilter[1] = std::move(letter);
        settings.OutputMode = mode;
        translation = OutputTranslation::ForMode(settings);
        CharFilter filter;
        filter.configure(settings, translation, separator);
        return filter;
    }
    Configuration settings = engineTestConfig();
    OutputTranslation translation;
};

TEST_F(CharFilterTest, NumericOnlyKeepsDigitsMinusAndTheSystemSeparator) {
    EXPECT_EQ(filtered(configured("N", 2, '.'), "12.5 kg"), "12.5");
    EXPECT_EQ(filtered(configured("N", 2, ','), "12.5 kg"), "125");
    EXPECT_EQ(filtered(configured("N", 2, ','), "-1,5"), "-1,5");
}

TEST_F(CharFilterTest, BinaryToHexWritesTwoUpperCaseDigits) {
    EXPECT_EQ(filtered(configured("B", 0), std::string("\x01\xff\x07\xab", 4)), "01FF07AB");
}

TEST_F(CharFilterTest, IgnoreFieldAndTheOverflowFieldTakeNothing) {
    EXPECT_EQ(filtered(configured("I", 2), "abc"), "");
    EXPECT_EQ(filtered(configured("C", 2), "abc", kOverflowField), "");
}

TEST_F(CharFilterTest, KeystrokeAndDdeModesDropCharactersTranslatedToNul) {
    EXPECT_EQ(filtered(configured("C", 0), "a\r\nb"), "a\rb") << "LF is NUL in the keystroke table";
    EXPECT_EQ(filtered(configured("H", 1), "F\r\nF"), "FF") << "DDE drops codes below 32";
    EXPECT_EQ(filtered(configured("C", 2), std::string("a\0\r\nb", 5)), std::string("a\0\r\nb", 5))
        << "log mode keeps every byte";
}

TEST(OutputTranslationTable, BuildsTheTableOfTheActiveMode) {
    Configuration settings = engineTestConfig();
    settings.OutputMode = 0;
    const OutputTranslation keys = OutputTranslation::ForMode(settings);
    EXPECT_EQ(keys.entry('+'), "{+}");
    EXPECT_EQ(keys.entry('\r'), "{ENTER}");
    EXPECT_TRUE(keys.drops('\n'));

    settings.OutputMode = 1;
    settings.DdeTranslation['a'] = 'A';
    const OutputTranslation dde = OutputTranslation::ForMode(settings);
    EXPECT_EQ(dde.entry('a'), "A");
    EXPECT_TRUE(dde.drops('\t'));

    settings.OutputMode = 2;
    settings.LogTranslation.resize(100); // a damaged table keeps the default for the missing codes
    const OutputTranslation log = OutputTranslation::ForMode(settings);
    EXPECT_EQ(log.entry(200), std::string(1, static_cast<char>(200)));
}

class ProcessFieldTest : public ::testing::Test {
protected:
    std::string process(const std::string& raw, int field = 1) {
        translation = OutputTranslation::ForMode(settings);
        processor.configure(settings, translation, locale);
        slots[static_cast<std::size_t>(field)] = raw;
        processor.ProcessField(field, slots);
        return std::get<std::string>(slots[static_cast<std::size_t>(field)]);
    }
    Configuration settings = engineTestConfig();
    OutputTranslation translation;
    FormatLocale locale;
    FieldProcessor processor;
    FieldSlots slots = InitialFieldSlots();
};

TEST_F(ProcessFieldTest, HexAndOctalConversion) {
    settings.FieldFilter[1] = "H";
    EXPECT_EQ(process("00FF"), "255");
    EXPECT_EQ(process("FFFF"), "-1");
    EXPECT_EQ(process(""), "0");
    EXPECT_EQ(process("  1A"), "26");
    settings.FieldFilter[1] = "O";
    EXPECT_EQ(process("17"), "15");
}

TEST_F(ProcessFieldTest, NamedFormats) {
    settings.FieldFormat[1] = "Fixed";
    EXPECT_EQ(process("3"), "3.00");
    settings.FieldFormat[1] = "Yes/No";
    EXPECT_EQ(process("0"), "No");
    settings.FieldFormat[1] = "Percent";
    EXPECT_EQ(process("0.5"), "50.00%");
}

TEST_F(ProcessFieldTest, FormatAppliesToTheExpressionResult) {
    settings.FieldExpression[1] = "field(1)*2";
    settings.FieldFormat[1] = "Fixed";
    EXPECT_EQ(process("1.25"), "2.50");
}

TEST_F(ProcessFieldTest, ExpressionsSeeLowerFieldsProcessedAndHigherFieldsRaw) {
    settings.FieldFilter[1] = "H";
    settings.FieldExpression[2] = "field(1)-field(3)";
    translation = OutputTranslation::ForMode(settings);
    processor.configure(settings, translation, locale);
    slots[1] = std::string("10");
    slots[2] = std::string("");
    slots[3] = std::string("5");
    processor.ProcessField(1, slots);
    processor.ProcessField(2, slots);
    EXPECT_EQ(std::get<std::string>(slots[2]), "11") << "hex 10 converted, 5 still raw";
}

TEST_F(ProcessFieldTest, KeystrokeTranslationEscapesMacroCharacters) {
    settings.OutputMode = 0;
    EXPECT_EQ(process("2+2"), "2{+}2");
    EXPECT_EQ(process("7\r"), "7{ENTER}");
}

TEST(RecordAssemblyText, PreamblePostamblesAndDateCodes) {
    Configuration settings = engineTestConfig();
    FakeClock clock; // 2026-12-07 14:05:09
    settings.RecordPreamble = "{YEAR}-{MONTH}-{DAY} ";
    settings.FieldPostamble[1] = "{TAB}";
    settings.FieldPostamble[2] = "\r\n";
    FieldSlots slots = InitialFieldSlots();
    slots[1] = std::string("a");
    slots[2] = std::string("b");
    std::string text;
    AssembleRecordText(settings, slots, 2, clock, text);
    EXPECT_EQ(text, "26-12-07 a{TAB}b\r\n");
}

} // namespace
} // namespace quorvane::test
