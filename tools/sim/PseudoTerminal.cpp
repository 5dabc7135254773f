#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace quorvane::sim {

namespace {

std::string failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Raw mode by hand (cfmakeraw is not POSIX): no echo, no line editing, no CR/LF translation, no
// signals from bytes, 8 data bits; reads return whatever has arrived.
bool makeRaw(int fd) {
    termios mode{};
    if (::tcgetattr(fd, &mode) != 0)
        return false;
    mode.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                           IXOFF | INPCK);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    mode.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    mode.c_cflag |= static_cast<tcflag_t>(CS8 | CREAD | CLOCAL);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &mode) == 0;
}

} // namespace

std::variant<PseudoTerminal, std::string> PseudoTerminal::open() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return failure("posix_openpt");
    const auto refuse = [master](const char* what) {
        std::string message = failure(what);
        ::close(master);
        return message;
    };
    if (::grantpt(master) != 0)
        return refuse("grantpt");
    if (::unlockpt(master) != 0)
        return refuse("unlockpt");
    const char* name = ::ptsname(master);
    if (name == nullptr)
        return refuse("ptsname");
    std::string slavePath = name;
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0)
        return refuse("fcntl(O_NONBLOCK)");
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    if (!makeRaw(master))
        return refuse("tcsetattr(master)");

    // The slave's own termios is what the reader inherits on open. Opening and closing it here
    // also leaves the master in hang-up until a reader comes, so a reader that never came and
    // one that left look the same.
    const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        return refuse("open(slave)");
    const bool raw = makeRaw(slave);
    ::close(slave);
    if (!raw)
        return refuse("tcsetattr(slave)");
    return PseudoTerminal(master, std::move(slavePath));
}

PseudoTerminal::PseudoTerminal(int master, std::string slavePath)
    : m_master(master), m_slavePath(std::move(slavePath)) {}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : m_master(std::exchange(other.m_master, -1)), m_probe(std::exchange(other.m_probe, -1)),
      m_slavePath(std::move(other.m_slavePath)) {}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this != &other) {
        closeAll();
        m_master = std::exchange(other.m_master, -1);
        m_probe = std::exchange(other.m_probe, -1);
        m_slavePath = std::move(other.m_slavePath);
    }
    return *this;
}

PseudoTerminal::~PseudoTerminal() {
    closeAll();
}

void PseudoTerminal::closeAll() {
    if (m_probe >= 0)
        ::close(m_probe);
    if (m_master >= 0)
        ::close(m_master);
    m_probe = -1;
    m_master = -1;
}

bool PseudoTerminal::readerPresent() const {
    pollfd entry{m_master, 0, 0};
    if (::poll(&entry, 1, 0) < 0)
        return false;
    return (entry.revents & POLLHUP) == 0;
}

std::optional<int> PseudoTerminal::unreadBytes() {
    if (m_probe < 0)
        m_probe = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_probe < 0)
        return std::nullopt;
    int queued = 0;
    if (::ioctl(m_probe, FIONREAD, &queued) != 0)
        return std::nullopt;
    return queued;
}

} // namespace quorvane::sim
