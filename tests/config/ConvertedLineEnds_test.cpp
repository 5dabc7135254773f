// Configuration files whose CR LF line ends were converted: each is read with exactly the values it
// was written with or refused with a reason that says what happened, never read with other values.
// Files as written (CR LF) are covered by ConfigFileFormat_test.cpp.

#include <algorithm>

#include <gtest/gtest.h>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "config/ConfigTestSupport.h"
#include "config/LegacyFileBuilder.h"

namespace quorvane {
namespace {

using test::resetConfiguration;

// What `sed 's/\r$//'`, dos2unix and a git checkout with autocrlf do.
std::string toLf(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            out += bytes[i];
    }
    return out;
}

// CR LF pairs to CR; lone LFs stay.
std::string toCr(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    return out;
}

// Every line end to CR, lone LFs too.
std::string toCrOnly(std::string_view bytes) {
    std::string out = toLf(bytes);
    std::replace(out.begin(), out.end(), '\n', '\r');
    return out;
}

struct Conversion {
    const char* Name;
    std::string (*Convert)(std::string_view);
};

const Conversion kConversions[] = {{"Lf", toLf}, {"Cr", toCr}, {"CrOnly", toCrOnly}};

void expectRefusedWithReason(const ConfigDecodeResult& result) {
    EXPECT_EQ(result.Outcome, ConfigDecodeResult::Status::Damaged);
    EXPECT_NE(result.Problem.find("line ends were converted"), std::string::npos) << result.Problem;
    EXPECT_NE(result.Problem.find("-text"), std::string::npos) << result.Problem; // how to repair
}

class ConvertedLineEnds : public testing::TestWithParam<Conversion> {};

TEST_P(ConvertedLineEnds, RandomFilesReadBackExactlyOrAreRefusedWithTheReason) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        Settings written = test::RandomSettings(seed).make();
        if (seed % 2 == 0)
            written.DdeTopic.clear();
        Settings read = resetConfiguration();
        const Settings before = read;
        const auto result = DecodeConfigFile(GetParam().Convert(EncodeConfigFile(written)), read);
        if (result.ok()) {
            ASSERT_EQ(read, written) << "seed " << seed;
        } else {
            expectRefusedWithReason(result);
            ASSERT_EQ(read, before) << "seed " << seed;
        }
    }
}

// Strings that end records and lines: CR LF in them, no lone line ends, no topic to blur where the
// raw block ends. Only one original gives each converted file.
TEST_P(ConvertedLineEnds, CrLfInsideByteStringsIsRestoredWhereOnlyOneOriginalFits) {
    Settings written = resetConfiguration();
    written.EndOfRecordChars = "\r\n";
    written.OutputString[1] = "P\r\nT";
    written.FieldPostamble[3] = " mg\t";
    written.FieldPostamble[40] = "\r\n\r\n";
    written.KeystrokeDelay = 25;
    Settings read = resetConfiguration();
    const auto result = DecodeConfigFile(GetParam().Convert(EncodeConfigFile(written)), read);
    ASSERT_TRUE(result.ok()) << result.Problem;
    EXPECT_EQ(read, written);
}

// With a topic, a CR LF taken as a lone line end moves the end of the raw block into the topic
// line: two originals fit, and neither is guessed.
TEST_P(ConvertedLineEnds, TwoFittingOriginalsAreRefused) {
    Settings written = resetConfiguration();
    written.FieldPostamble[1] = "\r\n";
    written.DdeTopic = "SCALE";
    Settings read = resetConfiguration();
    const Settings before = read;
    const auto result = DecodeConfigFile(GetParam().Convert(EncodeConfigFile(written)), read);
    expectRefusedWithReason(result);
    EXPECT_NE(result.Problem.find("more than one way"), std::string::npos) << result.Problem;
    EXPECT_EQ(read, before);
}

TEST_P(ConvertedLineEnds, OlderLayoutsAreReadOnlyWhenNoCountedStringHoldsALineEnd) {
    Settings plain = resetConfiguration();
    plain.AckString = "ACK";
    Settings read = resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(GetParam().Convert(test::make2_00File(plain)), read).ok());
    EXPECT_EQ(read.AckString, "ACK");

    Settings withCrLf = plain;
    withCrLf.AckString = "A\r\nK";
    read = resetConfiguration();
    expectRefusedWithReason(DecodeConfigFile(GetParam().Convert(test::make2_00File(withCrLf)), read));
}

INSTANTIATE_TEST_SUITE_P(Conversions, ConvertedLineEnds, testing::ValuesIn(kConversions),
                         [](const auto& param) { return std::string(param.param.Name); });

// The example configuration holds both CR LF ("P\r\n") and a lone LF (a postamble "\n") in its
// byte strings. Converted to LF, the two can no longer be told apart, and the file is refused;
// converted to CR with its lone LF kept, only one original fits.
TEST(ConvertedLineEnds, ExampleConfigurationIsReadExactlyOrRefusedAsItsStringsAllow) {
    const auto file = ReadWholeFile(QUORVANE_EXAMPLES "/balance.QV3");
    ASSERT_TRUE(file);
    Settings original = resetConfiguration();
    ASSERT_TRUE(DecodeConfigFile(*file, original).ok());
    ASSERT_EQ(original.OutputString[1], "P\r\n");
    ASSERT_EQ(original.FieldPostamble[4], "\n");

    const struct {
        Conversion How;
        bool Restored;
    } cases[] = {{kConversions[0], false}, {kConversions[1], true}, {kConversions[2], false}};
    for (const auto& c : cases) {
        Settings read = resetConfiguration();
        const auto result = DecodeConfigFile(c.How.Convert(*file), read);
        EXPECT_EQ(result.ok(), c.Restored) << c.How.Name << ": " << result.Problem;
        if (result.ok())
            EXPECT_EQ(read, original) << c.How.Name;
        else
            expectRefusedWithReason(result);
    }
}

} // namespace
} // namespace quorvane
