#pragma once
// An in-memory per-user settings store.

#include <map>
#include <tuple>

#include "platform/SettingsStore.h"

namespace quorvane::test {

class FakeSettingsStore final : public SettingsStore {
public:
    using Key = std::tuple<std::string, std::string, std::string>;

    std::string GetSetting(std::string_view application, std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override {
        auto it = Entries.find(Key(application, section, key));
        return it == Entries.end() ? std::string(defaultValue) : it->second;
    }
    void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view value) override {
        Entries[Key(application, section, key)] = value;
        ++Writes;
    }

    std::map<Key, std::string> Entries;
    int Writes = 0;
};

} // namespace quorvane::test
