// The least a program can do that logs each record with its own write(): what the kept-open
// pyserial script does, in C++ with nothing else. Records end at CR, LF is dropped, each record is
// appended with CR LF in one write() the moment its end is read. Runs until killed.
// Usage: one_write_floor PORT LOG

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: one_write_floor PORT LOG\n");
        return 2;
    }
    const int port = ::open(argv[1], O_RDONLY | O_NOCTTY | O_NONBLOCK);
    const int log = ::open(argv[2], O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (port < 0 || log < 0) {
        std::fprintf(stderr, "one_write_floor: %s\n", std::strerror(errno));
        return 1;
    }
    termios raw{};
    if (::tcgetattr(port, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(port, TCSANOW, &raw);
    }
    std::string record;
    char chunk[65536];
    pollfd readable{port, POLLIN, 0};
    for (;;) {
        const ssize_t got = ::read(port, chunk, sizeof chunk);
        if (got < 0 && errno == EAGAIN) {
            ::poll(&readable, 1, -1);
            continue;
        }
        if (got <= 0)
            return got == 0 ? 0 : 1;
        for (ssize_t i = 0; i < got; ++i) {
            const char byte = chunk[i];
            if (byte == '\n')
                continue;
            if (byte != '\r') {
                record += byte;
                continue;
            }
            record += "\r\n";
            if (::write(log, record.data(), record.size()) != static_cast<ssize_t>(record.size()))
                return 1;
            record.clear();
        }
    }
}
