#include "sim/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace quorvane::sim {

namespace {

// A signal handler can reach nothing but globals; these two descriptors are the whole of it.
int g_stopRead = -1;
int g_stopWrite = -1;

void onStopSignal(int) {
    const int saved = errno;
    const char byte = 's';
    [[maybe_unused]] const ssize_t ignored = ::write(g_stopWrite, &byte, 1);
    errno = saved;
}

} // namespace

bool StopSignals::install() {
    int ends[2];
    if (::pipe(ends) != 0)
        return false;
    for (const int end : ends) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    g_stopRead = ends[0];
    g_stopWrite = ends[1];

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int StopSignals::fd() const {
    return g_stopRead;
}

bool StopSignals::requested() const {
    pollfd entry{g_stopRead, POLLIN, 0};
    return g_stopRead >= 0 && ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

StopSignals::~StopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (g_stopRead >= 0)
        ::close(g_stopRead);
    if (g_stopWrite >= 0)
        ::close(g_stopWrite);
    g_stopRead = g_stopWrite = -1;
}

} // namespace quorvane::sim
