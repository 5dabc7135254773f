#pragma once
// Unsaved setup changes kept when a signal ends the setup window, and offered at the next start.

#include <string>

#include "config/Configuration.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompts.h"

namespace quorvane {

/// Writes the configuration in memory to `path` and notes in the store which file it was edited
/// from; says on standard error where the changes are. False when nothing could be written.
bool KeepUnsavedChanges(const Configuration& config, SettingsStore& store, const std::string& path);

/// When changes were kept in `path`, asks whether to restore them: Yes reads them into `config` as
/// unsaved changes to the file they were made to, No discards them. The kept file is removed either
/// way. True when they were restored.
bool OfferKeptChanges(Configuration& config, SettingsStore& store, UserPrompts& prompts,
                      const std::string& path);

} // namespace quorvane
