#pragma once
// The per-user settings store: a persistent map from (application, section, key) to a text.

#include <string>
#include <string_view>

namespace quorvane {

/// Per-user store of what belongs to the user rather than to a configuration: paths and numbers. Texts
/// are the operating system's bytes (UTF-8), never code-page text. Returns no errors: an entry that
/// cannot be read reads as its default (a store reports files it cannot use on its own).
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

/// A store that keeps nothing: every entry reads as its default. For runs that must not touch the
/// user's settings (the command-line tools, a configuration reload's throwaway recent-file list).
class NoSettingsStore final : public SettingsStore {
public:
    std::string GetSetting(std::string_view, std::string_view, std::string_view,
                           std::string_view defaultValue) const override {
        return std::string(defaultValue);
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

} // namespace quorvane
