#include "app/SetupRecovery.h"

#include <cstdio>
#include <unistd.h>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "platform/posix/PosixConfigFileAccess.h"

namespace quorvane {

namespace {

constexpr std::string_view kSection = "Recovery";

} // namespace

bool KeepUnsavedChanges(const Configuration& config, SettingsStore& store, const std::string& path) {
    const std::string error = PosixConfigFileAccess().replaceFile(path, EncodeConfigFile(config));
    if (!error.empty()) {
        std::fprintf(stderr, "quorvane: the unsaved changes could not be kept in %s: %s\n", path.c_str(),
                     error.c_str());
        return false;
    }
    store.SaveSetting(kProgramTitle, kSection, "File", config.ConfigFileName);
    store.SaveSetting(kProgramTitle, kSection, "Loaded", isSet(config.ConfigLoaded) ? "-1" : "0");
    std::fprintf(stderr,
                 "quorvane: the unsaved changes were kept in %s; they are offered at the next start\n",
                 path.c_str());
    return true;
}

bool OfferKeptChanges(Configuration& config, SettingsStore& store, UserPrompts& prompts,
                      const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes)
        return false;
    const std::string name = store.GetSetting(kProgramTitle, kSection, "File", "");
    const std::string question = "Quorvane was stopped with unsaved changes to " +
                                 (name.empty() ? std::string("an untitled configuration") : name) +
                                 ". Restore them?";
    bool restored = false;
    if (prompts.messageBox(question, kProgramTitle, MessageButtons::YesNo, MessageIcon::Question) ==
        MessageAnswer::Yes) {
        Configuration kept = config;
        if (DecodeConfigFile(*bytes, kept).ok()) {
            config = std::move(kept);
            config.ConfigFileName = name;
            config.ConfigLoaded =
                store.GetSetting(kProgramTitle, kSection, "Loaded", "0") == "-1" ? kTrue : kFalse;
            config.ConfigChanged = kTrue;
            restored = true;
        } else {
            prompts.messageBox("The kept changes in " + path + " could not be read.", kProgramTitle,
                               MessageButtons::Ok, MessageIcon::Exclamation);
        }
    }
    ::unlink(path.c_str());
    return restored;
}

} // namespace quorvane
