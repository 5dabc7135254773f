#pragma once
// The per-user settings store: a persistent map from (application, section, key) to a text.

#include <string>
#include <string_view>

namespace quorvane {

/// Per-user store of what belongs to the user rather than to a configuration. Never reports errors:
/// an entry that cannot be read reads as its default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// The stored text, or `defaultValue` when the entry is absent.
    virtual std::string GetSetting(std::string_view application, std::string_view section,
                                   std::string_view key, std::string_view defaultValue) const = 0;
    /// Stores a text, replacing any earlier one.
    virtual void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

} // namespace quorvane
