// Throughput of ReadPortByte from a pseudo-terminal, against one read() per byte.

#include "config/Configuration.h"
#include "platform/Clock.h"
#include "platform/UserPrompts.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/SerialPort.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <unistd.h>

namespace {

using namespace quorvane;

class QuietPrompts final : public UserPrompts {
public:
    MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        return MessageAnswer::Ok;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void beep() override {}
};

class StillClock final : public Clock {
public:
    std::uint32_t tickCount() const override { return 0; }
    LocalDateTime now() const override { return {}; }
    std::int64_t unixMilliseconds() const override { return 0; }
};

/// The master side of a pseudo-terminal whose slave the port opens as COM1.
struct PtyBench {
    PtyBench() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        ::close(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        bindings.setOverride("COM1", name);
        config.DataBitsIndex = 3;
        config.ParityIndex = 0;
    }
    ~PtyBench() { ::close(master); }

    /// Sends `payload` through the terminal while `drain` empties the port; false if the data stalls.
    template <typename Drain>
    bool pump(const std::string& payload, Drain drain) {
        std::size_t sent = 0;
        std::size_t received = 0;
        for (int idle = 0; received < payload.size() && idle < 1000000;) {
            if (sent < payload.size()) {
                const ssize_t n = ::write(master, payload.data() + sent,
                                          std::min<std::size_t>(payload.size() - sent, 16384));
                if (n > 0)
                    sent += static_cast<std::size_t>(n);
            }
            const std::size_t got = drain();
            received += got;
            idle = got == 0 ? idle + 1 : 0;
        }
        return received == payload.size();
    }

    int master = -1;
    Configuration config;
    QuietPrompts prompts;
    StillClock clock;
    NoSettingsStore store;
    PortBindings bindings{store};
    PosixSerialDevice device;
    SerialPort port{device, config, prompts, clock, bindings};
};

const std::string& payload() {
    static const std::string bytes = [] {
        std::string b(1 << 20, '\0');
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<char>(i * 131);
        return b;
    }();
    return bytes;
}

void ReadPortByteFromPty(benchmark::State& state) {
    PtyBench bench;
    if (bench.master < 0 || !bench.port.OpenPort()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        const bool complete = bench.pump(payload(), [&] {
            std::size_t n = 0;
            char byte = 0;
            while (bench.port.ReadPortByte(byte) == 1) {
                checksum += static_cast<unsigned char>(byte);
                ++n;
            }
            return n;
        });
        if (!complete)
            state.SkipWithError("the terminal stalled");
    }
    benchmark::DoNotOptimize(checksum);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(payload().size()));
}
BENCHMARK(ReadPortByteFromPty)->Unit(benchmark::kMillisecond);

void OneReadPerByteFromPty(benchmark::State& state) {
    PtyBench bench;
    if (bench.master < 0 || !bench.port.OpenPort()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    bench.port.CloseHandleOnly();
    if (!bench.device.open(bench.bindings.devicePathFor("COM1")) ||
        bench.device.configure(LineSettings{}) != ConfigureResult::Ok) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    for (auto _ : state) {
        const bool complete = bench.pump(payload(), [&] {
            std::size_t n = 0;
            char byte[1];
            while (bench.device.read(byte) == 1)
                ++n;
            return n;
        });
        if (!complete)
            state.SkipWithError("the terminal stalled");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(payload().size()));
}
BENCHMARK(OneReadPerByteFromPty)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
