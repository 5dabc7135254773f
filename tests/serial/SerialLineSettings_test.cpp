// The line settings a configuration asks for: the flag word of each flow control and its device meaning,
// baud codes and byte format. How a device applies them is covered by the termios tests.

#include <gtest/gtest.h>

#include "serial/SerialLineSettings.h"

namespace quorvane {
namespace {

struct FlowCase {
    std::int16_t FlowControl;
    std::uint32_t FlagWord;
    bool CtsOutputFlow;
    bool XonXoff;
    RtsControl Rts;
};

void PrintTo(const FlowCase& c, std::ostream* os) {
    *os << "FlowControl" << c.FlowControl;
}

class FlowControlMapping : public testing::TestWithParam<FlowCase> {};

TEST_P(FlowControlMapping, givesTheFlagWordAndItsLineSettings) {
    const FlowCase& c = GetParam();
    EXPECT_EQ(FlowControlFlagWord(c.FlowControl), c.FlagWord);

    Settings settings;
    settings.FlowControl = c.FlowControl;
    const LineSettings line = LineSettingsFor(settings);
    EXPECT_EQ(line.CtsOutputFlow, c.CtsOutputFlow);
    EXPECT_EQ(line.XonXoffOutput, c.XonXoff);
    EXPECT_EQ(line.XonXoffInput, c.XonXoff);
    EXPECT_TRUE(line.Dtr);
    EXPECT_EQ(line.Rts, c.Rts);
}

INSTANTIATE_TEST_SUITE_P(EveryCode, FlowControlMapping,
                         testing::Values(FlowCase{0, 0x1011, false, false, RtsControl::On},
                                         FlowCase{1, 0x1311, false, true, RtsControl::On},
                                         FlowCase{2, 0x2015, true, false, RtsControl::Handshake},
                                         FlowCase{3, 0x0011, false, false, RtsControl::Off},
                                         FlowCase{4, 0x1011, false, false, RtsControl::On},
                                         FlowCase{-1, 0x1011, false, false, RtsControl::On}));

TEST(LineSettingsFor, takesBaudByteSizeParityAndStopBitsFromTheirCodes) {
    Settings settings;
    settings.BaudIndex = 11;
    settings.DataBitsIndex = 3;
    settings.ParityIndex = 3;
    settings.StopBitsIndex = 1;
    const LineSettings line = LineSettingsFor(settings);
    EXPECT_EQ(line.BaudRate, 115200);
    EXPECT_EQ(line.ByteSize, 8);
    EXPECT_EQ(line.Parity, SerialParity::Mark);
    EXPECT_EQ(line.StopBits, SerialStopBits::OneAndHalf);
}

TEST(LineSettingsFor, opensAnUnknownBaudCodeAt9600) {
    Settings settings;
    for (std::int16_t code : {std::int16_t{14}, std::int16_t{-1}, std::int16_t{999}}) {
        settings.BaudIndex = code;
        EXPECT_EQ(LineSettingsFor(settings).BaudRate, 9600) << code;
    }
}

} // namespace
} // namespace quorvane
