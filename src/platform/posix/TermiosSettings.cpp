#include "platform/posix/TermiosSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdint>

namespace quorvane {

namespace {

bool sizeBits(int byteSize, tcflag_t& bits) {
    switch (byteSize) {
    case 5:
        bits = CS5;
        return true;
    case 6:
        bits = CS6;
        return true;
    case 7:
        bits = CS7;
        return true;
    case 8:
        bits = CS8;
        return true;
    default:
        return false;
    }
}

bool parityBits(SerialParity parity, tcflag_t& bits) {
    switch (parity) {
    case SerialParity::None:
        bits = 0;
        return true;
    case SerialParity::Odd:
        bits = PARENB | PARODD;
        return true;
    case SerialParity::Even:
        bits = PARENB;
        return true;
    case SerialParity::Mark:
        bits = PARENB | PARODD | CMSPAR;
        return true;
    case SerialParity::Space:
        bits = PARENB | CMSPAR;
        return true;
    }
    return false;
}

bool stopBits(SerialStopBits stop, tcflag_t& bits) {
    switch (stop) {
    case SerialStopBits::One:
        bits = 0;
        return true;
    // termios has no one and a half stop bits; two is the nearest that keeps the receiver in step.
    case SerialStopBits::OneAndHalf:
    case SerialStopBits::Two:
        bits = CSTOPB;
        return true;
    }
    return false;
}

// A driver that cannot reach a rate exactly sets the nearest it can and reports that; within 2 % (the
// kernel's own tolerance when it matches a rate to a B-code) the line still works.
bool speedTaken(speed_t asked, speed_t taken) {
    const auto difference = asked > taken ? asked - taken : taken - asked;
    return static_cast<std::uint64_t>(difference) * 50 <= asked;
}

bool taken(const termios2& asked, const termios2& now) {
    constexpr tcflag_t kFormat = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    // An input speed of zero means "as the output".
    const speed_t inputSpeed = now.c_ispeed != 0 ? now.c_ispeed : now.c_ospeed;
    return (asked.c_cflag & kFormat) == (now.c_cflag & kFormat) && speedTaken(asked.c_ospeed, now.c_ospeed) &&
           speedTaken(asked.c_ispeed, inputSpeed);
}

} // namespace

ConfigureResult ApplyTermiosSettings(SystemCalls& calls, int fd, const LineSettings& settings,
                                     ReadBack readBack, bool* inputAltered) {
    termios2 tio{};
    if (RetryOnInterrupt([&] { return calls.ioctl(fd, TCGETS2, &tio); }) != 0)
        return ConfigureResult::SettingsUnreadable;
    const termios2 before = tio;

    tcflag_t size = 0;
    tcflag_t parity = 0;
    tcflag_t stop = 0;
    if (settings.BaudRate <= 0 || !sizeBits(settings.ByteSize, size) ||
        !parityBits(settings.Parity, parity) || !stopBits(settings.StopBits, stop))
        return ConfigureResult::SettingsRefused;

    // Raw bytes both ways. Parity is generated but never checked (no INPCK): a byte that arrives with a
    // parity error is passed on unchanged. A break arrives as a NUL byte.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                          IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // HUPCL off: a close that must leave DTR and RTS alone must not drop them either.
    tio.c_cflag &=
        ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL | CBAUD | CIBAUD);
    tio.c_cflag |= CLOCAL | CREAD | BOTHER | size | parity | stop;
    if (settings.CtsOutputFlow || settings.Rts == RtsControl::Handshake)
        tio.c_cflag |= CRTSCTS;
    if (settings.XonXoffOutput)
        tio.c_iflag |= IXON;
    if (settings.XonXoffInput)
        tio.c_iflag |= IXOFF;
    // An input speed of zero in CIBAUD means "as the output".
    tio.c_ospeed = static_cast<speed_t>(settings.BaudRate);
    tio.c_ispeed = static_cast<speed_t>(settings.BaudRate);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    if (RetryOnInterrupt([&] { return calls.ioctl(fd, TCSETS2, &tio); }) != 0)
        return ConfigureResult::SettingsRefused;
    if (inputAltered != nullptr) {
        constexpr tcflag_t kInput = INLCR | IGNCR | ICRNL | IUCLC | ISTRIP | IXON | IXOFF | PARMRK;
        constexpr tcflag_t kLocal = ICANON | ISIG | IEXTEN;
        *inputAltered =
            ((before.c_iflag ^ tio.c_iflag) & kInput) != 0 || ((before.c_lflag ^ tio.c_lflag) & kLocal) != 0;
    }
    if (readBack == ReadBack::Skip)
        return ConfigureResult::Ok;
    // TCSETS2 succeeds even when the driver kept its own byte format, parity or rate (a UART without
    // mark/space parity, a rate beyond its clock); only the settings it reports now tell.
    termios2 now{};
    if (RetryOnInterrupt([&] { return calls.ioctl(fd, TCGETS2, &now); }) != 0)
        return ConfigureResult::SettingsUnreadable;
    return taken(tio, now) ? ConfigureResult::Ok : ConfigureResult::SettingsRefused;
}

std::size_t DiscardWaitingInput(SystemCalls& calls, int fd) {
    int waiting = 0;
    if (RetryOnInterrupt([&] { return calls.ioctl(fd, TIOCINQ, &waiting); }) != 0 || waiting <= 0)
        return 0;
    void* const input = reinterpret_cast<void*>(static_cast<std::uintptr_t>(TCIFLUSH));
    if (RetryOnInterrupt([&] { return calls.ioctl(fd, TCFLSH, input); }) != 0)
        return 0;
    return static_cast<std::size_t>(waiting);
}

bool FlushTermios(SystemCalls& calls, int fd) {
    // TCFLSH takes its selector by value, not through a pointer.
    void* const both = reinterpret_cast<void*>(static_cast<std::uintptr_t>(TCIOFLUSH));
    return RetryOnInterrupt([&] { return calls.ioctl(fd, TCFLSH, both); }) == 0;
}

} // namespace quorvane
