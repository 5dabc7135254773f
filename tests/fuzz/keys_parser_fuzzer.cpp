// Any byte string as a keystroke macro text, parsed and typed on a recording US keyboard with a
// clock that moves while the host waits. Beyond the sanitizers it checks that the result is a known
// code, that a failed parse types nothing, that the item list keeps its limit, and that typing
// leaves no key or modifier pressed.

#include "../fakes/FakeClock.h"
#include "../fakes/FakeKeyboard.h"
#include "keys/KeyMacroParser.h"
#include "keys/SendKeyMacro.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

namespace {

using namespace quorvane;

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const test::UsKeyLayout layout;

    const ParsedKeyMacro parsed = parseKeyMacro(text, layout);
    check(parsed.Error >= keymacro::kOk && parsed.Error <= keymacro::kTooManyKeyItems);
    check(parsed.Items.size() <= kMaxKeyItems);

    test::FakeClock clock;
    test::FakeKeyboard keyboard;
    const KeyTypingHost host{keyboard, layout, clock,
                             [&](int ms) { clock.advance(static_cast<std::uint32_t>(ms)); }};
    const std::int16_t result = SendKeyMacro(text, 1, host);
    check(result == parsed.Error);
    if (result != keymacro::kOk) {
        check(keyboard.Calls.empty());
        return 0;
    }

    std::set<std::uint16_t> held;
    for (const test::InjectedKey& key : keyboard.Keys) {
        if (key.Down)
            check(held.insert(key.VirtualKey).second);
        else
            check(held.erase(key.VirtualKey) == 1);
    }
    check(held.empty() && !keyboard.modifierHeld());
    return 0;
}
