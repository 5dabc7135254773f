#include "app/ConfigTools.h"

#include <cstdio>

#include "config/CommandLine.h"
#include "config/ConfigDump.h"
#include "config/ConfigFiles.h"
#include "config/ConfigLimits.h"
#include "platform/console/ConsolePrompts.h"
#include "platform/posix/PosixConfigFileAccess.h"

namespace quorvane {

bool LoadConfigurationForRun(const std::string& argument, Configuration& config, UserPrompts& prompts) {
    PosixConfigFileAccess access;
    NoFileDialogs dialogs;
    NoSettingsStore store; // the tools keep no recent-file list
    RecentFiles recent(store);
    ConfigFiles files(config, access, prompts, dialogs, recent);
    ResetConfiguration(config);
    const std::string path = TrimBlanks(argument); // only to name the file in messages
    if (!ReadCommandLine(argument, config, files)) {
        std::fprintf(stderr, "quorvane: no configuration file named\n");
        return false;
    }
    if (isSet(config.ConfigLoaded))
        return true;
    if (files.lastFileUnopened())
        std::fprintf(stderr, "quorvane: cannot open %s: %s\n", path.c_str(), files.lastProblem().c_str());
    else if (!files.lastProblem().empty())
        std::fprintf(stderr, "quorvane: %s: %s\n", path.c_str(), files.lastProblem().c_str());
    return false;
}

namespace {

bool loadForTool(const std::string& path, Configuration& config) {
    ConsolePrompts prompts;
    return LoadConfigurationForRun(path, config, prompts);
}

} // namespace

int DumpConfigFile(const std::string& path) {
    Configuration config;
    if (!loadForTool(path, config))
        return 1;
    const std::string text = DumpSettings(config);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int ConvertConfigFile(const std::string& in, const std::string& out) {
    Configuration config;
    if (!loadForTool(in, config))
        return 1;
    const std::string bytes = EncodeConfigFile(config);
    if (out == "-") {
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        if (std::fflush(stdout) != 0 || !written) {
            std::fprintf(stderr, "quorvane: cannot write the configuration to standard output\n");
            return 1;
        }
        return 0;
    }
    PosixConfigFileAccess access;
    const std::string error = access.replaceFile(out, bytes);
    if (!error.empty()) {
        std::fprintf(stderr, "quorvane: cannot write %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

} // namespace quorvane
