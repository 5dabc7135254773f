#include "platform/posix/PosixSerialDevice.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
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

// What users call the errors of an open; the system's own text otherwise.
std::string openErrorText(int error) {
    switch (error) {
    case ENOTTY:
        return "not a terminal";
    case EISDIR:
        return "a directory";
    case EBUSY:
    case EWOULDBLOCK:
        return "busy (in use by another program)";
    default:
        return std::strerror(error);
    }
}

OpenFailure openFailureOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return OpenFailure::Absent;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenFailure::Busy;
    case ENOTTY:
        return OpenFailure::NotTerminal;
    case EISDIR:
        return OpenFailure::Directory;
    default:
        return OpenFailure::Other;
    }
}

// A device unplugged or hung up answers with these; other errors may pass.
bool meansGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
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
    m_problem.clear();
    m_failure = OpenFailure::Other;
    m_gone = false;
    // Other programs lock the device's own name, not the /dev/serial/by-id/ link that leads to it.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return failOpen(errno);
    if (const UucpLock::Result lock = m_lock.acquire(resolved); !lock.Acquired)
        return failOpen("locked by " + (lock.Holder > 0 ? DescribeProcess(lock.Holder)
                                                        : "the lock file " + m_lock.lockPathFor(resolved)),
                        OpenFailure::Busy);
    // O_NONBLOCK also keeps open() from waiting for carrier detect.
    const int fd = RetryOnInterrupt(
        [&] { return m_calls.open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0)
        return failOpen(errno);
    // TIOCEXCL keeps later openers out, but not root; flock also stops root and programs that lock
    // before they open. Neither sees a program that opened the device earlier without locking.
    m_fd = fd;
    if (RetryOnInterrupt([&] { return m_calls.flock(fd, LOCK_EX | LOCK_NB); }) != 0 ||
        ioctl(TIOCEXCL, nullptr) != 0)
        return failOpen(errno);
    struct stat status {};
    if (RetryOnInterrupt([&] { return m_calls.fstat(fd, &status); }) != 0)
        return failOpen(errno);
    if (const auto other = FindProcessHolding(status.st_rdev))
        return failOpen("in use by " + DescribeProcess(*other), OpenFailure::Busy);
    // The node of a pseudo-terminal whose other side closed still opens, already hung up.
    if (short events = 0; m_calls.poll(fd, POLLIN, events, 0) > 0 && (events & (POLLHUP | POLLERR)) != 0)
        return failOpen("hung up", OpenFailure::Other);
    m_pseudoTerminal = isPseudoTerminal(status.st_rdev);
    return true;
}

bool PosixSerialDevice::failOpen(std::string problem, OpenFailure failure) {
    close();
    m_lock.release();
    m_problem = std::move(problem);
    m_failure = failure;
    return false;
}

bool PosixSerialDevice::failOpen(int error) {
    return failOpen(openErrorText(error), openFailureOf(error));
}

void PosixSerialDevice::noteFailure() {
    if (meansGone(errno))
        m_gone = true;
}

ConfigureResult PosixSerialDevice::configure(const LineSettings& settings) {
    if (m_fd < 0)
        return ConfigureResult::SettingsUnreadable;
    const int flags = RetryOnInterrupt([&] { return m_calls.fcntl(m_fd, F_GETFL, 0); });
    if (flags < 0 || RetryOnInterrupt([&] { return m_calls.fcntl(m_fd, F_SETFL, flags | O_NONBLOCK); }) != 0)
        return ConfigureResult::TimeoutsRefused;
    bool inputAltered = false;
    if (const ConfigureResult result = ApplyTermiosSettings(
            m_calls, m_fd, settings, m_pseudoTerminal ? ReadBack::Skip : ReadBack::Check, &inputAltered);
        result != ConfigureResult::Ok)
        return result;
    // What waited was taken in by the old settings, a cooked terminal's for a new pseudo-terminal
    // someone wrote to before we opened it: not the bytes the device sent.
    m_discarded = inputAltered ? DiscardWaitingInput(m_calls, m_fd) : 0;
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
    if (n > 0)
        return static_cast<std::size_t>(n);
    if (n < 0) {
        noteFailure();
        return 0;
    }
    // With VMIN and VTIME at 0 a read of nothing returns 0, exactly as a hung-up terminal does: only
    // poll tells the two apart.
    short events = 0;
    if (m_calls.poll(m_fd, POLLIN, events, 0) > 0 && (events & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        m_gone = true;
    return 0;
}

std::size_t PosixSerialDevice::write(std::string_view data) {
    std::size_t total = 0;
    while (m_fd >= 0 && total < data.size()) {
        const ssize_t n =
            RetryOnInterrupt([&] { return m_calls.write(m_fd, data.data() + total, data.size() - total); });
        if (n <= 0) {
            if (n < 0)
                noteFailure();
            break;
        }
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
