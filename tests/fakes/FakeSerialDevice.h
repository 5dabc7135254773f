#pragma once
// A serial device driven by a script: what it delivers, how much it accepts, which steps fail.
// Every call is recorded in `Calls` ("open /dev/ttyS0", "configure", "read 4096", "write 3",
// "purge", "break on", "dtr off", "rts on", "modem", "close"), so tests can check order.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

namespace quorvane::test {

class FakeSerialDevice final : public SerialDevice {
public:
    bool open(const std::string& path) override {
        Calls.push_back("open " + path);
        if (FailOpen || IsOpen)
            return false;
        Gone = false;
        IsOpen = true;
        OpenedPath = path;
        return true;
    }

    ConfigureResult configure(const LineSettings& settings) override {
        Calls.emplace_back("configure");
        if (ConfigureAnswer != ConfigureResult::Ok)
            return ConfigureAnswer;
        Applied = settings;
        Dtr = settings.Dtr;
        Rts = settings.Rts != RtsControl::Off;
        return ConfigureResult::Ok;
    }

    std::size_t read(std::span<char> buffer) override {
        Calls.push_back("read " + std::to_string(buffer.size()));
        const std::size_t n = std::min({buffer.size(), Incoming.size(), MaxReadChunk});
        std::copy_n(Incoming.begin(), n, buffer.begin());
        Incoming.erase(0, n);
        return n;
    }

    std::size_t write(std::string_view data) override {
        Calls.push_back("write " + std::to_string(data.size()));
        std::size_t accept = WriteLimit;
        if (!WriteAccepts.empty()) {
            accept = WriteAccepts.front();
            WriteAccepts.pop_front();
        }
        const std::size_t n = std::min(accept, data.size());
        Written.append(data.substr(0, n));
        return n;
    }

    bool purge() override {
        Calls.emplace_back("purge");
        Incoming.clear();
        return !FailLineControl;
    }
    bool setBreak(bool on) override { return line("break", Break, on); }
    bool setDtr(bool on) override { return line("dtr", Dtr, on); }
    bool setRts(bool on) override { return line("rts", Rts, on); }

    std::uint32_t modemStatus() override {
        Calls.emplace_back("modem");
        return ModemStatus;
    }

    void close() override {
        Calls.emplace_back("close");
        IsOpen = false;
    }
    bool isOpen() const override { return IsOpen; }
    std::string openProblem() const override { return OpenProblem; }
    OpenFailure openFailure() const override { return FailureKind; }
    bool gone() const override { return Gone; }

    /// Calls that name `prefix` ("dtr", "write"...), in order.
    std::vector<std::string> callsOf(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const auto& call : Calls)
            if (call.starts_with(prefix))
                found.push_back(call);
        return found;
    }

    // Script.
    /// Every open fails (absent, in use, denied).
    bool FailOpen = false;
    /// What configure answers; settings are applied only on Ok.
    ConfigureResult ConfigureAnswer = ConfigureResult::Ok;
    /// Bytes the device delivers, front first.
    std::string Incoming;
    /// Most bytes one read returns.
    std::size_t MaxReadChunk = SIZE_MAX;
    /// Bytes accepted by each coming write, front first; when empty, WriteLimit applies.
    std::deque<std::size_t> WriteAccepts;
    /// Bytes accepted by a write when WriteAccepts is empty.
    std::size_t WriteLimit = SIZE_MAX;
    /// Purge and the line calls report failure (their effect on the state still shows).
    bool FailLineControl = false;
    /// Why a failed open failed.
    std::string OpenProblem;
    /// What kind of failure that was.
    OpenFailure FailureKind = OpenFailure::Other;
    /// The device has gone away (a read or write found it unplugged); the next open clears it.
    bool Gone = false;
    /// What modemStatus answers.
    std::uint32_t ModemStatus = 0;

    // Observations.
    std::vector<std::string> Calls;
    bool IsOpen = false;
    std::string OpenedPath;
    /// Settings of the last successful configure.
    std::optional<LineSettings> Applied;
    /// Everything written, in order.
    std::string Written;
    bool Dtr = false;
    bool Rts = false;
    bool Break = false;

private:
    bool line(const char* name, bool& state, bool on) {
        Calls.push_back(std::string(name) + (on ? " on" : " off"));
        state = on;
        return !FailLineControl;
    }
};

} // namespace quorvane::test
