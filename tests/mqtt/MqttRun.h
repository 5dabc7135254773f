#pragma once
// One headless quorvane on a pty beside a broker, and reading the sequence numbers that arrived.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "integration/HeadlessProcess.h"
#include "mqtt/MqttBroker.h"

namespace quorvane::test {

inline std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

/// A temporary home (settings, queue), a pty, the capture configuration and a broker (not started).
struct MqttRun {
    explicit MqttRun(const BrokerTls* tls = nullptr) : Broker(Dir, tls) {
        setenv("XDG_STATE_HOME", Dir.file("state").c_str(), 1);
        Config = writeCaptureConfiguration(Dir);
    }
    /// Writes [Mqtt] entries of the settings store, e.g. "Commands=true".
    void settings(const std::vector<std::string>& entries) const {
        std::filesystem::create_directories(Dir.path() / "quorvane");
        std::ofstream out(Dir.file("quorvane/Quorvane.ini"));
        out << "[Mqtt]\n";
        for (const auto& entry : entries)
            out << entry << "\n";
    }
    /// Starts the program and waits until its port is open.
    std::unique_ptr<HeadlessProcess> start(const std::string& url = {}) {
        auto quorvane = std::make_unique<HeadlessProcess>(
            Dir, std::vector<std::string>{"--headless", Config, "--device", Pty.slavePath(), "--mqtt",
                                          url.empty() ? Broker.url() : url});
        EXPECT_TRUE(quorvane->waitForMessage("Quorvane - COM1")) << quorvane->standardError();
        return quorvane;
    }
    /// Records "r<i>,<i*7%1000>,end" CR LF for i in [first, first + count).
    bool send(int first, int count) const {
        std::string data;
        for (int i = first; i < first + count; ++i)
            data += "r" + std::to_string(i) + "," + std::to_string(i * 7 % 1000) + ",end\r\n";
        return sendAll(Pty, data);
    }
    /// Waits until the run printed the record line holding `text`.
    bool waitForRecordLine(const std::string& text) const {
        return waitFor([&] {
            return ReadWholeFile(Dir.file("stdout.txt")).value_or("").find(text) != std::string::npos;
        });
    }
    std::string topic(const std::string& leaf) const { return "quorvane/" + hostName() + "/capture/" + leaf; }

    TempDir Dir;
    PtyPair Pty;
    std::string Config;
    MosquittoBroker Broker;
};

/// The "seq" and "run" of each record line.
inline std::vector<std::pair<std::string, int>> sequences(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, int>> all;
    for (const auto& line : lines) {
        const auto seq = line.find("\"seq\":");
        const auto run = line.find("\"run\":\"");
        if (seq == std::string::npos || run == std::string::npos)
            continue;
        all.emplace_back(line.substr(run + 7, line.find('"', run + 7) - run - 7),
                         std::atoi(line.c_str() + seq + 6));
    }
    return all;
}

inline int lastSequence(const std::vector<std::string>& lines) {
    const auto all = sequences(lines);
    return all.empty() ? 0 : all.back().second;
}

inline std::map<std::string, std::vector<int>> sequencesByRun(const std::vector<std::string>& lines) {
    std::map<std::string, std::vector<int>> runs;
    for (const auto& [run, seq] : sequences(lines))
        runs[run].push_back(seq);
    return runs;
}

/// The sequence with the records sent again after a loss taken out: at least once, in order, means
/// that a number seen again is one already seen, and that what is left is 1, 2, 3 ...
inline std::vector<int> withoutRepeats(const std::vector<int>& sequence) {
    std::vector<int> kept;
    for (const int seq : sequence)
        if (kept.empty() || seq > kept.back())
            kept.push_back(seq);
    return kept;
}

/// Each of `runCount` runs' records arrived as 1..count, at most repeating some after a loss.
inline void expectEverySequenceInOrder(const std::vector<std::string>& lines, std::size_t runCount,
                                       int count) {
    const auto runs = sequencesByRun(lines);
    ASSERT_EQ(runs.size(), runCount);
    for (const auto& [run, seqs] : runs) {
        std::vector<int> expected(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] = static_cast<int>(i) + 1;
        EXPECT_EQ(withoutRepeats(seqs), expected) << run;
        std::printf("[          ] run %s: %zu messages for %zu records\n", run.c_str(), seqs.size(),
                    expected.size());
    }
}

} // namespace quorvane::test
