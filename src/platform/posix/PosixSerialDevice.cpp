#include "platform/posix/PosixSerialDevice.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>

#include "platform/posix/DeviceHolders.h"
#include "platform/posix/TermiosSettings.h"

namespace quorvane {

namespace {

// Unix98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143; the legacy BSD ones major 3.
bool isPseudoTerminal(dev_t device) {
    const unsigned int number = major(device);
    return (number >= 136 && number <= 143) || number == 3;
}

} // namespace

PosixSerialDevice::PosixSerialDevice(std::string lockDirectory)
    : m_calls(m_systemCalls), m_lock(std::move(lockDirectory)) {}

PosixSerialDevice::PosixSerialDevice(SystemCalls& calls, std::string lockDirectory)
    : m_calls(calls), m_lock(std::move(lockDirectory)) {}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

int PosixSerialDevice::ioctl(unsigned long request, void* argument) {
    return RetryOnInterrupt([&] { return m_calls.ioctl(m_fd, request, argument); });
}

bool PosixSerialDevice::open(const std::string& path) {
    close();
    m_holder.clear();
    // Other programs lock the device's own name, not the /dev/serial/by-id/ link that leads to it.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return false;
    if (const UucpLock::Result lock = m_lock.acquire(resolved); !lock.Acquired)
        return failOpen(lock.Holder > 0 ? DescribeProcess(lock.Holder)
                                        : "the lock file " + m_lock.lockPathFor(resolved));
    // O_NONBLOCK also keeps open() from waiting for carrier detect.
    const int fd = RetryOnInterrupt(
        [&] { return m_calls.open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0)
        return failOpen({});
    // TIOCEXCL keeps later openers out, but not root; flock also stops root and programs that lock
    // before they open. Neither sees a program that opened the device earlier without locking.
    m_fd = fd;
    if (RetryOnInterrupt([&] { return m_calls.flock(fd, LOCK_EX | LOCK_NB); }) != 0 ||
        ioctl(TIOCEXCL, nullptr) != 0)
        return failOpen({});
    struct stat status {};
    if (RetryOnInterrupt([&] { return m_calls.fstat(fd, &status); }) != 0)
        return failOpen({});
    if (const auto other = FindProcessHolding(status.st_rdev))
        return failOpen(DescribeProcess(*other));
    m_pseudoTerminal = isPseudoTerminal(status.st_rdev);
    return true;
}

bool PosixSerialDevice::failOpen(std::string holder) {
    close();
    m_lock.release();
    m_holder = std::move(holder);
    return false;
}

ConfigureResult PosixSerialDevice::configure(const LineSettings& settings) {
    if (m_fd < 0)
        return ConfigureResult::SettingsUnreadable;
    const int flags = RetryOnInterrupt([&] { return m_calls.fcntl(m_fd, F_GETFL, 0); });
    if (flags < 0 || RetryOnInterrupt([&] { return m_calls.fcntl(m_fd, F_SETFL, flags | O_NONBLOCK); }) != 0)
        return ConfigureResult::TimeoutsRefused;
    if (const ConfigureResult result = ApplyTermiosSettings(
            m_calls, m_fd, settings, m_pseudoTerminal ? ReadBack::Skip : ReadBack::Check);
        result != ConfigureResult::Ok)
        return result;
    // termios raises DTR and RTS only on a change from speed zero, so set them as asked; a device
    // without modem lines refuses, which changes nothing.
    setDtr(settings.Dtr);
    setRts(settings.Rts != RtsControl::Off);
    return ConfigureResult::Ok;
}

std::size_t PosixSerialDevice::read(std::span<char> buffer) {
    if (m_fd < 0 || buffer.empty())
        return 0;
    const ssize_t n = RetryOnInterrupt([&] { return m_calls.read(m_fd, buffer.data(), buffer.size()); });
    // EAGAIN is the usual "nothing waits"; errors (EIO on a vanished device) read as nothing too.
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t PosixSerialDevice::write(std::string_view data) {
    std::size_t total = 0;
    while (m_fd >= 0 && total < data.size()) {
        const ssize_t n =
            RetryOnInterrupt([&] { return m_calls.write(m_fd, data.data() + total, data.size() - total); });
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

bool PosixSerialDevice::purge() {
    return m_fd >= 0 && FlushTermios(m_calls, m_fd);
}

bool PosixSerialDevice::setBreak(bool on) {
    return m_fd >= 0 && ioctl(on ? TIOCSBRK : TIOCCBRK, nullptr) == 0;
}

bool PosixSerialDevice::setModemLine(int line, bool on) {
    return m_fd >= 0 && ioctl(on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixSerialDevice::setDtr(bool on) {
    return setModemLine(TIOCM_DTR, on);
}

bool PosixSerialDevice::setRts(bool on) {
    return setModemLine(TIOCM_RTS, on);
}

std::uint32_t PosixSerialDevice::modemStatus() {
    int lines = 0;
    if (m_fd < 0 || ioctl(TIOCMGET, &lines) != 0)
        return 0;
    std::uint32_t status = 0;
    if ((lines & TIOCM_CTS) != 0)
        status |= kModemCts;
    if ((lines & TIOCM_DSR) != 0)
        status |= kModemDsr;
    if ((lines & TIOCM_RNG) != 0)
        status |= kModemRing;
    if ((lines & TIOCM_CAR) != 0)
        status |= kModemCarrier;
    return status;
}

void PosixSerialDevice::close() {
    if (m_fd < 0)
        return;
    ioctl(TIOCNXCL, nullptr);
    // Never retried: Linux releases the descriptor even when close() reports EINTR.
    m_calls.close(m_fd);
    m_fd = -1;
    m_lock.release();
}

} // namespace quorvane
