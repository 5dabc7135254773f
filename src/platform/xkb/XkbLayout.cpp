#include "platform/xkb/XkbLayout.h"

#include "config/CodePage.h"
#include "platform/xkb/VirtualKeyTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

namespace quorvane {

namespace {

constexpr std::uint32_t kEvdevOffset = 8;

// Keys of a real keyboard's main block, right-hand modifiers and keypad (Linux input codes 1 to 88
// and 96 to 127) come before the keymap's extra codes: a symbol the keymap also puts on a key that
// no keyboard has (<LVL3>, the keypad's parentheses) is typed with the key users have.
int keyRank(std::uint32_t keycode) {
    const std::uint32_t code = keycode - kEvdevOffset;
    return (code >= 1 && code <= 88) || (code >= 96 && code <= 127) ? 0 : 1;
}

std::string composeLocaleFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "en_US.UTF-8";
}

xkb_compose_table* loadCompose(xkb_keymap* keymap, const std::string& locale) {
    if (keymap == nullptr)
        return nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (context == nullptr)
        return nullptr;
    const std::string wanted = locale.empty() ? composeLocaleFromEnvironment() : locale;
    xkb_compose_table* table =
        xkb_compose_table_new_from_locale(context, wanted.c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    // A locale without a table of its own (C, POSIX, a misspelt one) composes as most do.
    if (table == nullptr)
        table = xkb_compose_table_new_from_locale(context, "en_US.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
    xkb_context_unref(context); // the table keeps its own reference
    return table;
}

bool isDeadKeysym(unsigned long keysym) {
    char name[64];
    return xkb_keysym_get_name(static_cast<xkb_keysym_t>(keysym), name, sizeof name) > 0 &&
           std::strncmp(name, "dead_", 5) == 0;
}

std::size_t modifierCount(const std::vector<KeyChord>& chords) {
    std::size_t count = 0;
    for (const KeyChord& chord : chords)
        count += chord.Modifiers.size();
    return count;
}

} // namespace

XkbLayout::XkbLayout(XkbKeymap keymap, const std::string& composeLocale)
    : m_keymap(std::move(keymap)), m_composeLocale(composeLocale),
      m_compose(loadCompose(m_keymap.get(), composeLocale), xkb_compose_table_unref) {
    findLockMasks();
    build();
}

void XkbLayout::setKeymap(XkbKeymap keymap) {
    m_keymap = std::move(keymap);
    if (!m_compose)
        m_compose.reset(loadCompose(m_keymap.get(), m_composeLocale));
    findLockMasks();
    build();
}

void XkbLayout::findLockMasks() {
    m_lockMask = 0;
    m_numLockMask = 0;
    if (xkb_keymap* km = m_keymap.get()) {
        const xkb_mod_index_t caps = xkb_keymap_mod_get_index(km, XKB_MOD_NAME_CAPS);
        const xkb_mod_index_t num = xkb_keymap_mod_get_index(km, XKB_MOD_NAME_NUM);
        m_lockMask = caps < 32 ? 1u << caps : 0;
        m_numLockMask = num < 32 ? 1u << num : 0;
    }
}

XkbLayout::~XkbLayout() = default;

void XkbLayout::setModifierState(const XkbModifierState& state) {
    const bool newGroup = state.Group != m_state.Group;
    m_state = state;
    if (newGroup)
        build();
}

bool XkbLayout::capsLock() const {
    return (m_state.Locked & m_lockMask) != 0;
}

std::uint32_t XkbLayout::heldModifiers() const {
    return (m_state.Depressed | m_state.Latched) & ~(m_lockMask | m_numLockMask);
}

void XkbLayout::build() {
    m_positions.clear();
    m_modifierKeys.fill(0);
    for (auto& chords : m_chords)
        chords.clear();
    xkb_keymap* km = m_keymap.get();
    if (km == nullptr)
        return;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts(km);
    m_group = layouts == 0 ? 0 : m_state.Group % layouts;
    const xkb_keycode_t first = xkb_keymap_min_keycode(km);
    const xkb_keycode_t last = xkb_keymap_max_keycode(km);

    // The key that holds each modifier: the one that, pressed alone, makes only that modifier held.
    std::array<int, 32> modifierRank{};
    modifierRank.fill(2);
    xkb_state* scratch = xkb_state_new(km);
    for (xkb_keycode_t keycode = first; scratch != nullptr && keycode <= last; ++keycode) {
        xkb_state_update_mask(scratch, 0, 0, 0, 0, 0, m_group);
        xkb_state_update_key(scratch, keycode, XKB_KEY_DOWN);
        const xkb_mod_mask_t held = xkb_state_serialize_mods(scratch, XKB_STATE_MODS_DEPRESSED);
        xkb_state_update_key(scratch, keycode, XKB_KEY_UP);
        if (std::popcount(held) != 1)
            continue;
        const int index = std::countr_zero(held);
        if (keyRank(keycode) < modifierRank[static_cast<std::size_t>(index)]) {
            modifierRank[static_cast<std::size_t>(index)] = keyRank(keycode);
            m_modifierKeys[static_cast<std::size_t>(index)] = keycode;
        }
    }
    if (scratch != nullptr)
        xkb_state_unref(scratch);

    // Every symbol a key types alone, with the fewest modifiers that need no lock.
    const std::uint32_t locks = m_lockMask | m_numLockMask;
    for (xkb_keycode_t keycode = first; keycode <= last; ++keycode) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(km, keycode, m_group);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(km, keycode, m_group, level, &syms) != 1)
                continue;
            std::array<xkb_mod_mask_t, 16> masks{};
            const std::size_t count =
                xkb_keymap_key_get_mods_for_level(km, keycode, m_group, level, masks.data(), masks.size());
            std::optional<std::uint32_t> best;
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t mask = masks[i];
                if ((mask & locks) != 0)
                    continue;
                bool reachable = true;
                for (std::uint32_t bits = mask; bits != 0; bits &= bits - 1)
                    reachable =
                        reachable && m_modifierKeys[static_cast<std::size_t>(std::countr_zero(bits))] != 0;
                if (reachable && (!best || std::popcount(mask) < std::popcount(*best)))
                    best = mask;
            }
            if (!best)
                continue;
            const Position candidate{keycode, level, *best};
            auto order = [](const Position& p) {
                return std::tuple(keyRank(p.Keycode), std::popcount(p.Mask), p.Keycode);
            };
            auto it = std::lower_bound(
                m_positions.begin(), m_positions.end(), syms[0],
                [](const auto& entry, unsigned long keysym) { return entry.first < keysym; });
            if (it != m_positions.end() && it->first == syms[0]) {
                if (order(candidate) < order(it->second))
                    it->second = candidate;
            } else {
                m_positions.insert(it, {syms[0], candidate});
            }
        }
    }

    for (int byte = 0; byte < 256; ++byte) {
        const Keysym keysym = keysymOfByte(static_cast<unsigned char>(byte));
        if (keysym == kNoKeysym)
            continue;
        if (const auto position = find(keysym))
            if (const auto chord = chordOf(*position))
                m_chords[static_cast<std::size_t>(byte)] = {*chord};
    }

    // Characters no key types alone may come from a dead key followed by another key, as the
    // target's input method composes them.
    if (!m_compose)
        return;
    xkb_compose_state* compose = xkb_compose_state_new(m_compose.get(), XKB_COMPOSE_STATE_NO_FLAGS);
    if (compose == nullptr)
        return;
    for (const auto& [deadKeysym, deadPosition] : m_positions) {
        if (!isDeadKeysym(deadKeysym))
            continue;
        const auto deadChord = chordOf(deadPosition);
        if (!deadChord)
            continue;
        for (const auto& [keysym, position] : m_positions) {
            xkb_compose_state_reset(compose);
            xkb_compose_state_feed(compose, static_cast<xkb_keysym_t>(deadKeysym));
            xkb_compose_state_feed(compose, static_cast<xkb_keysym_t>(keysym));
            if (xkb_compose_state_get_status(compose) != XKB_COMPOSE_COMPOSED)
                continue;
            char utf8[16];
            if (xkb_compose_state_get_utf8(compose, utf8, sizeof utf8) <= 0)
                continue;
            const std::string bytes = Utf8ToBytes(utf8, '\0');
            if (bytes.size() != 1 || bytes[0] == '\0' ||
                keysymOfByte(static_cast<unsigned char>(bytes[0])) == kNoKeysym)
                continue;
            auto& chords = m_chords[static_cast<unsigned char>(bytes[0])];
            const auto chord = chordOf(position);
            if (!chord)
                continue;
            std::vector<KeyChord> sequence{*deadChord, *chord};
            if (chords.empty() || (chords.size() > 1 && modifierCount(sequence) < modifierCount(chords)))
                chords = std::move(sequence);
        }
    }
    xkb_compose_state_unref(compose);
}

std::optional<XkbLayout::Position> XkbLayout::find(unsigned long keysym) const {
    auto it = std::lower_bound(m_positions.begin(), m_positions.end(), keysym,
                               [](const auto& entry, unsigned long wanted) { return entry.first < wanted; });
    if (it == m_positions.end() || it->first != keysym)
        return std::nullopt;
    return it->second;
}

std::optional<KeyChord> XkbLayout::chordOf(const Position& position) const {
    KeyChord chord{position.Keycode, {}};
    for (std::uint32_t bits = position.Mask; bits != 0; bits &= bits - 1) {
        const std::uint32_t key = m_modifierKeys[static_cast<std::size_t>(std::countr_zero(bits))];
        if (key == 0)
            return std::nullopt;
        chord.Modifiers.push_back(key);
    }
    return chord;
}

std::uint32_t XkbLayout::keycodeOfVirtualKey(std::uint16_t virtualKey) const {
    if (virtualKey >= xkbvk::kKeycodeBase && virtualKey < xkbvk::kCharacterBase)
        return virtualKey - xkbvk::kKeycodeBase;
    if (virtualKey == vk::kNone)
        return 0;
    const Keysym keysym = keysymOfVirtualKey(virtualKey);
    if (keysym == kNoKeysym)
        return 0;
    const auto position = find(keysym);
    return position ? position->Keycode : 0;
}

std::uint32_t XkbLayout::capsLockKey() const {
    const auto position = find(XKB_KEY_Caps_Lock);
    return position && position->Mask == 0 ? position->Keycode : 0;
}

std::vector<KeyChord> XkbLayout::chordsFor(unsigned char character) const {
    return m_chords[character];
}

std::optional<KeyStroke> XkbLayout::keyForCharacter(unsigned char character) const {
    if (auto control = keyOfControlByte(character))
        return control;
    const std::vector<KeyChord>& chords = m_chords[character];
    if (chords.empty())
        return std::nullopt;
    const KeyChord& chord = chords.front();
    const std::uint32_t shiftKey = m_modifierKeys[0];
    const bool plainOrShifted =
        chords.size() == 1 &&
        (chord.Modifiers.empty() || (chord.Modifiers.size() == 1 && chord.Modifiers[0] == shiftKey));
    if (!plainOrShifted || chord.Keycode >= xkbvk::kCharacterBase - xkbvk::kKeycodeBase)
        return KeyStroke{static_cast<std::uint16_t>(xkbvk::kCharacterBase + character), 0};

    const std::uint8_t shift = chord.Modifiers.empty() ? 0 : shiftstate::kShift;
    auto sameKey = [&](std::uint16_t virtualKey) {
        const auto position = find(keysymOfVirtualKey(virtualKey));
        return position && position->Keycode == chord.Keycode && position->Mask == 0;
    };
    if (const std::uint16_t virtualKey = virtualKeyNaming(keysymOfByte(character), sameKey))
        return KeyStroke{virtualKey, shift};
    return KeyStroke{static_cast<std::uint16_t>(xkbvk::kKeycodeBase + chord.Keycode), shift};
}

std::vector<KeyEdge> XkbLayout::keyEdges(std::uint16_t virtualKey, bool down) const {
    std::vector<KeyEdge> edges;
    if (virtualKey < xkbvk::kCharacterBase || virtualKey >= xkbvk::kCharacterBase + 256) {
        if (const std::uint32_t keycode = keycodeOfVirtualKey(virtualKey))
            edges.push_back({keycode, down});
        return edges;
    }
    const std::vector<KeyChord>& chords = m_chords[virtualKey - xkbvk::kCharacterBase];
    if (chords.empty())
        return edges;
    auto press = [&edges](const KeyChord& chord) {
        for (std::uint32_t modifier : chord.Modifiers)
            edges.push_back({modifier, true});
        edges.push_back({chord.Keycode, true});
    };
    auto release = [&edges](const KeyChord& chord) {
        edges.push_back({chord.Keycode, false});
        for (auto it = chord.Modifiers.rbegin(); it != chord.Modifiers.rend(); ++it)
            edges.push_back({*it, false});
    };
    if (!down) {
        release(chords.back());
        return edges;
    }
    for (std::size_t i = 0; i + 1 < chords.size(); ++i) {
        press(chords[i]);
        release(chords[i]);
    }
    press(chords.back());
    return edges;
}

} // namespace quorvane
