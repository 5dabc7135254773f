// quorvane-sim: a simulated serial instrument on a pseudo-terminal.

#include <cstdio>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sim/DeviceLink.h"
#include "sim/ProfileFeed.h"
#include "sim/PseudoTerminal.h"
#include "sim/ReplayFeed.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"
#include "sim/StopSignals.h"

namespace {

using namespace quorvane::sim;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

std::unique_ptr<Feed> makeFeed(const SimOptions& options) {
    if (!options.ReplayFile.empty()) {
        std::string error;
        auto bytes = readReplayFile(options.ReplayFile, error);
        if (!bytes) {
            std::cerr << "quorvane-sim: " << error << "\n";
            return nullptr;
        }
        return std::make_unique<ReplayFeed>(std::move(*bytes), options.Baud, options.Fast, options.Loop);
    }
    const std::uint64_t seed = options.Seed ? *options.Seed : std::random_device{}();
    return std::make_unique<ProfileFeed>(makeProfile(options.Profile, seed), options.Rate, options.Fast,
                                         options.Count);
}

int runSimulator(const SimOptions& options) {
    auto feed = makeFeed(options);
    if (!feed)
        return kExitFailure;

    // Signals first: a stop that arrives while the terminal is being set up must still unlink.
    StopSignals stop;
    if (!stop.install()) {
        std::cerr << "quorvane-sim: cannot set up signal handling\n";
        return kExitFailure;
    }
    auto opened = PseudoTerminal::open();
    if (auto* error = std::get_if<std::string>(&opened)) {
        std::cerr << "quorvane-sim: cannot open a pseudo-terminal: " << *error << "\n";
        return kExitFailure;
    }
    auto& terminal = std::get<PseudoTerminal>(opened);

    DeviceLink link;
    if (!options.LinkPath.empty()) {
        if (auto error = link.create(options.LinkPath, terminal.slavePath())) {
            std::cerr << "quorvane-sim: " << *error << "\n";
            return kExitFailure;
        }
        std::cerr << "quorvane-sim: " << options.LinkPath << " -> " << terminal.slavePath() << "\n";
    } else {
        std::cout << terminal.slavePath() << std::endl;
    }

    Simulator simulator(terminal, *feed, stop, std::cerr);
    return simulator.run();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseSimOptions(args);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "quorvane-sim: " << *error << "\nTry 'quorvane-sim --help'.\n";
        return kExitUsage;
    }
    const auto& options = std::get<SimOptions>(parsed);
    if (options.Help) {
        std::cout << simUsageText();
        return 0;
    }
    return runSimulator(options);
}
