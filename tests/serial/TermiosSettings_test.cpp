// The termios2 settings applied for each line setting, captured on their way to a pseudo-terminal, the
// configure step each failing call maps to, and the read-back that finds settings a driver did not take.
// Built without <termios.h>, whose definitions clash with the kernel's.

#include <asm/termios.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "ScriptedSystemCalls.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/TermiosSettings.h"

namespace quorvane {
namespace {

class TermiosSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        slavePath = ::ptsname(m_master);
        calls.BeforeIoctl = [this](unsigned long request, void* argument) {
            if (request == TCSETS2)
                applied.push_back(*static_cast<termios2*>(argument));
            if (request == TIOCMBIS || request == TIOCMBIC)
                lines.emplace_back(request, *static_cast<int*>(argument));
        };
    }
    void TearDown() override {
        if (m_master >= 0)
            ::close(m_master);
    }

    /// The termios2 block sent for `settings`.
    termios2 apply(const LineSettings& settings) {
        EXPECT_TRUE(device.open(slavePath));
        EXPECT_EQ(device.configure(settings), ConfigureResult::Ok);
        return applied.empty() ? termios2{} : applied.back();
    }

    std::string slavePath;
    test::ScriptedSystemCalls calls;
    test::TempDir lockDir;
    PosixSerialDevice device{calls, lockDir.path().string()};
    std::vector<termios2> applied;
    std::vector<std::pair<unsigned long, int>> lines;

private:
    int m_master = -1;
};

TEST_F(TermiosSettingsTest, sevenEvenOneAndAHalfWithHardwareFlowAtAnyRate) {
    LineSettings settings;
    settings.BaudRate = 250000;
    settings.ByteSize = 7;
    settings.Parity = SerialParity::Even;
    settings.StopBits = SerialStopBits::OneAndHalf;
    settings.CtsOutputFlow = true;
    settings.Rts = RtsControl::Handshake;
    const termios2 tio = apply(settings);

    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(tio.c_ospeed, 250000u);
    EXPECT_EQ(tio.c_ispeed, 250000u);
}

TEST_F(TermiosSettingsTest, rawModeWithoutParityCheckingOrHangupOnClose) {
    LineSettings settings;
    settings.Parity = SerialParity::Even;
    const termios2 tio = apply(settings);

    EXPECT_EQ(tio.c_iflag & (INPCK | IGNPAR | PARMRK | ISTRIP | ICRNL | IGNCR | INLCR | IXON | IXOFF), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cflag & HUPCL, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

struct ParityCase {
    SerialParity Parity;
    tcflag_t Bits;
};

void PrintTo(const ParityCase& c, std::ostream* os) {
    *os << "parity" << static_cast<int>(c.Parity);
}

class TermiosParity : public TermiosSettingsTest, public testing::WithParamInterface<ParityCase> {};

TEST_P(TermiosParity, usesStickParityForMarkAndSpace) {
    LineSettings settings;
    settings.Parity = GetParam().Parity;
    EXPECT_EQ(apply(settings).c_cflag & (PARENB | PARODD | CMSPAR), GetParam().Bits);
}

INSTANTIATE_TEST_SUITE_P(EveryParity, TermiosParity,
                         testing::Values(ParityCase{SerialParity::None, 0},
                                         ParityCase{SerialParity::Odd, PARENB | PARODD},
                                         ParityCase{SerialParity::Even, PARENB},
                                         ParityCase{SerialParity::Mark, PARENB | PARODD | CMSPAR},
                                         ParityCase{SerialParity::Space, PARENB | CMSPAR}));

TEST_F(TermiosSettingsTest, xonXoffPacesBothDirections) {
    LineSettings settings;
    settings.XonXoffInput = settings.XonXoffOutput = true;
    const termios2 tio = apply(settings);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
}

TEST_F(TermiosSettingsTest, linesFollowTheSettingsAfterConfigure) {
    LineSettings settings;
    settings.Rts = RtsControl::Off;
    apply(settings);
    using Lines = std::vector<std::pair<unsigned long, int>>;
    EXPECT_EQ(lines, (Lines{{TIOCMBIS, TIOCM_DTR}, {TIOCMBIC, TIOCM_RTS}}));
}

TEST_F(TermiosSettingsTest, formatsOutsideTheTablesAreRefusedBeforeReachingTheDevice) {
    ASSERT_TRUE(device.open(slavePath));
    LineSettings badSize;
    badSize.ByteSize = 9;
    LineSettings badParity;
    badParity.Parity = static_cast<SerialParity>(7);
    LineSettings badStop;
    badStop.StopBits = static_cast<SerialStopBits>(3);
    for (const LineSettings& settings : {badSize, badParity, badStop})
        EXPECT_EQ(device.configure(settings), ConfigureResult::SettingsRefused);
    EXPECT_TRUE(applied.empty());
}

TEST_F(TermiosSettingsTest, eachFailingStepGivesItsResult) {
    ASSERT_TRUE(device.open(slavePath));
    calls.FcntlErrors = {EBADF};
    EXPECT_EQ(device.configure(LineSettings{}), ConfigureResult::TimeoutsRefused);
    calls.IoctlErrors[TCGETS2] = {EIO};
    EXPECT_EQ(device.configure(LineSettings{}), ConfigureResult::SettingsUnreadable);
    calls.IoctlErrors[TCSETS2] = {EINVAL};
    EXPECT_EQ(device.configure(LineSettings{}), ConfigureResult::SettingsRefused);
    calls.IoctlErrors[TCSETS2] = {EINTR};
    EXPECT_EQ(device.configure(LineSettings{}), ConfigureResult::Ok);
}

TEST_F(TermiosSettingsTest, aPseudoTerminalKeepsAnyRate) {
    LineSettings settings;
    settings.BaudRate = 31250;
    apply(settings);
    termios2 now{};
    ASSERT_EQ(calls.ioctl(calls.LastFd, TCGETS2, &now), 0);
    EXPECT_EQ(now.c_ospeed, 31250u);
}

struct ReadBackCase {
    const char* Name;
    LineSettings Asked;
    /// What the driver reports after the settings were applied.
    tcflag_t KeptFormat;
    speed_t KeptSpeed;
    bool PseudoTerminal;
    ConfigureResult Expected;
};

void PrintTo(const ReadBackCase& c, std::ostream* os) {
    *os << c.Name;
}

class TermiosReadBack : public TermiosSettingsTest, public testing::WithParamInterface<ReadBackCase> {};

TEST_P(TermiosReadBack, settingsTheDriverDidNotTakeAreRefusedExceptOnAPseudoTerminal) {
    const ReadBackCase& c = GetParam();
    // A pty stands in for a UART unless it should be seen as what it is.
    if (!c.PseudoTerminal)
        calls.DeviceNumber = makedev(4, 95);
    calls.IoctlResults[TCGETS2] = [&c](void* argument) {
        auto* tio = static_cast<termios2*>(argument);
        *tio = termios2{};
        tio->c_cflag = c.KeptFormat | CREAD | CLOCAL | BOTHER;
        tio->c_ospeed = tio->c_ispeed = c.KeptSpeed;
        return 0;
    };
    ASSERT_TRUE(device.open(slavePath));
    EXPECT_EQ(device.configure(c.Asked), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    DriverAnswers, TermiosReadBack,
    testing::Values(
        ReadBackCase{"sevenMarkKeptAsEightNone",
                     {.ByteSize = 7, .Parity = SerialParity::Mark},
                     CS8,
                     9600,
                     false,
                     ConfigureResult::SettingsRefused},
        ReadBackCase{"sevenMarkTaken",
                     {.ByteSize = 7, .Parity = SerialParity::Mark},
                     CS7 | PARENB | PARODD | CMSPAR,
                     9600,
                     false,
                     ConfigureResult::Ok},
        ReadBackCase{"sevenMarkOnAPseudoTerminal",
                     {.ByteSize = 7, .Parity = SerialParity::Mark},
                     CS8,
                     9600,
                     true,
                     ConfigureResult::Ok},
        ReadBackCase{"twoStopBitsKeptAsOne",
                     {.StopBits = SerialStopBits::Two},
                     CS8,
                     9600,
                     false,
                     ConfigureResult::SettingsRefused},
        ReadBackCase{"hardwareFlowDropped",
                     {.CtsOutputFlow = true},
                     CS8,
                     9600,
                     false,
                     ConfigureResult::SettingsRefused},
        ReadBackCase{
            "rateFellBackTo9600", {.BaudRate = 250000}, CS8, 9600, false, ConfigureResult::SettingsRefused},
        ReadBackCase{
            "nearestRateWithinTwoPercent", {.BaudRate = 115200}, CS8, 117000, false, ConfigureResult::Ok}),
    [](const testing::TestParamInfo<ReadBackCase>& c) { return std::string(c.param.Name); });

} // namespace
} // namespace quorvane
