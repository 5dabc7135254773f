#pragma once
// Hot keys that a test presses: registrations are recorded, keys can be taken by "another program",
// and a combination already registered under another identifier is refused.

#include "platform/HotKeys.h"

#include <map>
#include <set>
#include <utility>

namespace quorvane::test {

class FakeHotKeys final : public HotKeys {
public:
    struct Key {
        std::uint8_t VirtualKey = 0;
        unsigned Modifiers = 0;
        bool operator<(const Key& other) const {
            return std::pair(VirtualKey, Modifiers) < std::pair(other.VirtualKey, other.Modifiers);
        }
    };

    bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) override {
        ++RegisterCalls;
        const Key key{virtualKey, modifiers};
        Registered.erase(id);
        if (TakenElsewhere.count(key) != 0)
            return false;
        for (const auto& entry : Registered)
            if (entry.second.VirtualKey == virtualKey && entry.second.Modifiers == modifiers)
                return false;
        Registered[id] = key;
        return true;
    }
    void unregisterKey(int id) override { Registered.erase(id); }
    void setPressHandler(PressHandler handler) override { Handler = std::move(handler); }

    /// The user presses the hot key registered under `id`; false when nothing is registered there.
    bool press(int id) {
        if (Registered.count(id) == 0 || !Handler)
            return false;
        Handler(id);
        return true;
    }

    /// Keys another program holds: registering them fails.
    std::set<Key> TakenElsewhere;
    std::map<int, Key> Registered;
    int RegisterCalls = 0;
    PressHandler Handler;
};

} // namespace quorvane::test
