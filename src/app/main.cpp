// quorvane: command line and start-up.

#include <cstdio>
#include <string>
#include <vector>

#include "app/ConfigTools.h"
#include "app/HeadlessRun.h"
#include "app/SetupRun.h"
#include "app/WindowRun.h"
#include "config/CommandLine.h"

using namespace quorvane;

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = ParseCommandLine(args);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "quorvane: %s\nTry 'quorvane --help'.\n", error->c_str());
        return 2;
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    switch (line.Kind) {
    case CommandLine::Action::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("quorvane %s\n", QUORVANE_VERSION);
        return 0;
    case CommandLine::Action::Dump:
        return DumpConfigFile(line.File);
    case CommandLine::Action::Convert:
        return ConvertConfigFile(line.File, line.Output);
    case CommandLine::Action::Headless:
        return RunHeadless(argc, argv, line);
    case CommandLine::Action::Activate:
        return RunWindow(argc, argv, line);
    case CommandLine::Action::Setup:
        break;
    }
    return RunSetup(argc, argv, line);
}
