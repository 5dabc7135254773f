#include "app/ConfigTools.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/ConfigDump.h"
#include "config/ConfigFiles.h"
#include "platform/console/ConsolePrompts.h"

namespace quorvane {

bool LoadConfigurationForRun(const std::string& path, Configuration& config, UserPrompts& prompts) {
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        std::fprintf(stderr, "quorvane: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    NoFileDialogs dialogs;
    NoSettingsStore store; // the tools keep no recent-file list
    RecentFiles recent(store);
    ConfigFiles files(config, prompts, dialogs, recent);
    ResetConfiguration(config);
    config.ConfigFileName = path;
    files.setCommandLineLoad(true);
    files.LoadConfiguration();
    if (!isSet(config.ConfigLoaded)) {
        if (!files.lastProblem().empty())
            std::fprintf(stderr, "quorvane: %s: %s\n", path.c_str(), files.lastProblem().c_str());
        return false;
    }
    return true;
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
    if (!WriteWholeFile(out, EncodeConfigFile(config))) {
        std::fprintf(stderr, "quorvane: cannot write %s: %s\n", out.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace quorvane
