// The port analyzer window on a device that streams, for bench/analyzer_feed.sh: the window reads
// PATH as the analyzer does, while a probe timer in the same event loop measures how late each of
// its 10 ms deadlines is handled. Prints one line of figures, then whether every byte of STREAM
// reached the window.
// Usage: analyzer_feed PATH STREAM SECONDS

#include "analyzer/ComShow.h"
#include "config/ConfigLimits.h"
#include "platform/SettingsStore.h"
#include "platform/console/ConsolePrompts.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SystemClock.h"
#include "serial/PortBindings.h"
#include "serial/SerialPort.h"
#include "setup/widgets/PickerHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quorvane {
namespace {

constexpr qint64 kProbeMs = 10;
constexpr qint64 kLatencyLimitMs = 50;

// The device as the analyzer reads it, counting what it hands over: Buffer keeps only its newest
// part, so its own count cannot tell whether every byte came.
class CountingDevice final : public SerialDevice {
public:
    bool open(const std::string& path) override { return m_device.open(path); }
    ConfigureResult configure(const LineSettings& settings) override { return m_device.configure(settings); }
    std::size_t read(std::span<char> buffer) override {
        const std::size_t n = m_device.read(buffer);
        Received += n;
        return n;
    }
    std::size_t write(std::string_view data) override { return m_device.write(data); }
    bool purge() override { return m_device.purge(); }
    bool setBreak(bool on) override { return m_device.setBreak(on); }
    bool setDtr(bool on) override { return m_device.setDtr(on); }
    bool setRts(bool on) override { return m_device.setRts(on); }
    std::uint32_t modemStatus() override { return m_device.modemStatus(); }
    void close() override { m_device.close(); }
    bool isOpen() const override { return m_device.isOpen(); }

    std::size_t Received = 0;

private:
    PosixSerialDevice m_device;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int run(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: analyzer_feed PATH STREAM SECONDS\n");
        return 2;
    }
    std::ifstream streamFile(argv[2], std::ios::binary);
    const std::string stream((std::istreambuf_iterator<char>(streamFile)), std::istreambuf_iterator<char>());
    const qint64 measureMs = std::stoll(argv[3]) * 1000;

    Configuration config;
    ResetConfiguration(config);
    config.DataBitsIndex = 3; // a pseudo-terminal takes 8 data bits without parity only
    config.ParityIndex = 0;
    ConsolePrompts prompts;
    NoSettingsStore store;
    PortBindings bindings(store);
    bindings.setOverride(PortName(config.PortIndex), argv[1]);
    CountingDevice device;
    SystemClock clock;
    SerialPort port(device, config, prompts, clock, bindings);
    if (!port.OpenPort())
        return 1;
    ExecRunner runner;
    PickerHost pickers(config, runner);
    ComShow window(ComShowParts{config, prompts, pickers, &port, {}});
    window.show();
    window.startTimer1();

    // Each probe deadline is set 10 ms after the previous one was handled; lateness is the time
    // from the deadline to its handling, which includes every handler that held the loop.
    std::vector<qint64> lateUs;
    qint64 worstUs = -1;
    qint64 worstAtUs = 0;
    QElapsedTimer since;
    since.start();
    double cpuStart = 0;
    double cpu = 0;
    double wall = 0;
    std::size_t receivedStart = 0;
    std::size_t receivedMeasured = 0;
    qint64 due = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setSingleShot(true);
    // After the measured time, what the device still sends is drained by the window's own ticks,
    // for at most 10 s.
    QTimer drain;
    QElapsedTimer draining;
    QObject::connect(&drain, &QTimer::timeout, [&] {
        if (device.Received >= stream.size() || draining.elapsed() > 10000)
            QApplication::quit();
    });
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = since.nsecsElapsed() / 1000;
        lateUs.push_back(std::max<qint64>(0, now - due));
        if (lateUs.back() > worstUs)
            worstUs = lateUs.back(), worstAtUs = now;
        due = now + kProbeMs * 1000;
        if (now < measureMs * 1000) {
            probe.start(static_cast<int>(kProbeMs));
            return;
        }
        cpu = cpuSeconds() - cpuStart;
        wall = static_cast<double>(since.nsecsElapsed()) / 1e9;
        receivedMeasured = device.Received - receivedStart;
        draining.start();
        drain.start(50);
    });
    // The first second fills the window's font caches and the pty; it is not measured.
    QTimer::singleShot(1000, [&] {
        since.restart();
        cpuStart = cpuSeconds();
        receivedStart = device.Received;
        due = kProbeMs * 1000;
        probe.start(static_cast<int>(kProbeMs));
    });
    QApplication::exec();
    window.Timer1_Timer();

    std::sort(lateUs.begin(), lateUs.end());
    const auto ms = [](qint64 us) { return static_cast<double>(us) / 1000.0; };
    const qint64 worst = lateUs.empty() ? 0 : lateUs.back();
    const qint64 p99 = lateUs.empty() ? 0 : lateUs[lateUs.size() * 99 / 100];
    const auto over =
        std::count_if(lateUs.begin(), lateUs.end(), [](qint64 us) { return us > kLatencyLimitMs * 1000; });
    std::printf("%.1f s measured: %.0f bytes/s in; event loop latency max %.2f ms, p99 %.2f ms, %zu probes, "
                "%td over %lld ms (the worst at %.2f s); CPU %.2f s = %.1f%% of one core\n",
                wall, static_cast<double>(receivedMeasured) / wall, ms(worst), ms(p99), lateUs.size(), over,
                static_cast<long long>(kLatencyLimitMs), static_cast<double>(worstAtUs) / 1e6, cpu,
                100.0 * cpu / wall);

    const std::string& shown = window.bufferText();
    const QString counted = window.findChild<QLabel*>(QStringLiteral("BufByteCount"))->text();
    const bool tail = shown.size() <= stream.size() &&
                      stream.compare(stream.size() - shown.size(), shown.size(), shown) == 0;
    const bool all = device.Received == stream.size() && tail && counted == QString::number(shown.size());
    std::printf("bytes sent %zu, read by the window %zu; Buffer holds the newest %zu (Total Byte Count: %s), "
                "%s: %s\n",
                stream.size(), device.Received, shown.size(), qPrintable(counted),
                tail ? "identical to the stream's end" : "DIFFERENT from the stream's end",
                all ? "every byte arrived" : "BYTES MISSING");
    return all && over == 0 ? 0 : 1;
}

} // namespace
} // namespace quorvane

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return quorvane::run(argc, argv);
}
