#include "app/StopSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane {

namespace {

int g_signalPipe[2] = {-1, -1};
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe work here: pass the signal's number on through the pipe.
extern "C" void onWindowStopSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

std::function<void()>& displayLossClose() {
    static std::function<void()> close;
    return close;
}

extern "C" void closePortAtExit() {
    if (auto close = std::move(displayLossClose())) {
        displayLossClose() = nullptr;
        close();
        std::fputs("quorvane: the display went away; the port was closed and the program ends\n", stderr);
    }
}

} // namespace

StopSignals::StopSignals(std::function<void(int)> stop) : m_stop(std::move(stop)) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignals);
    struct sigaction action {};
    action.sa_handler = onWindowStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_ok = true;
    for (const int signal : kStopSignals)
        m_ok = ::sigaction(signal, &action, nullptr) == 0 && m_ok;
}

StopSignals::~StopSignals() {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (const int signal : kStopSignals)
        ::sigaction(signal, &fallback, nullptr);
    delete m_notifier;
    for (int& fd : g_signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void StopSignals::readSignals() {
    unsigned char received[16];
    ssize_t n = 0;
    while ((n = ::read(g_signalPipe[0], received, sizeof received)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            m_stop(received[i]);
    }
}

void DismissModalDialogs() {
    // Each dismissed dialog leaves the modal stack at once; the bound guards against one that
    // refuses to go.
    for (int tries = 0; tries < 32; ++tries) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void CloseOnDisplayLoss(std::function<void()> closePort) {
    static const bool registered = std::atexit(closePortAtExit) == 0;
    static_cast<void>(registered);
    displayLossClose() = std::move(closePort);
}

} // namespace quorvane
