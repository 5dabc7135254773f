#pragma once
// What a Wayland or X client would read from key events: keycodes run through an xkb_state of the
// keymap and a compose state of the locale's table, giving the UTF-8 text typed. And a keyboard
// that types a layout's key edges straight into such a replay.

#include "platform/Keyboard.h"
#include "platform/xkb/XkbLayout.h"

#include <string>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

namespace quorvane::test {

class XkbReplay {
public:
    explicit XkbReplay(const XkbKeymap& keymap, const char* locale = "en_US.UTF-8")
        : m_state(xkb_state_new(keymap.get())) {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
        if (xkb_compose_table* table =
                xkb_compose_table_new_from_locale(context, locale, XKB_COMPOSE_COMPILE_NO_FLAGS)) {
            m_compose = xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS);
            xkb_compose_table_unref(table);
        }
        xkb_context_unref(context);
    }
    ~XkbReplay() {
        xkb_compose_state_unref(m_compose);
        xkb_state_unref(m_state);
    }
    XkbReplay(const XkbReplay&) = delete;
    XkbReplay& operator=(const XkbReplay&) = delete;

    /// A key going down or up, by its xkb keycode; a press appends what it types to Text.
    void key(std::uint32_t keycode, bool down) {
        if (down) {
            const xkb_keysym_t sym = xkb_state_key_get_one_sym(m_state, keycode);
            char utf8[64] = {};
            if (m_compose != nullptr && sym != XKB_KEY_NoSymbol &&
                xkb_compose_state_feed(m_compose, sym) == XKB_COMPOSE_FEED_ACCEPTED) {
                switch (xkb_compose_state_get_status(m_compose)) {
                case XKB_COMPOSE_COMPOSING:
                    break;
                case XKB_COMPOSE_COMPOSED:
                    xkb_compose_state_get_utf8(m_compose, utf8, sizeof utf8);
                    Text += utf8;
                    xkb_compose_state_reset(m_compose);
                    break;
                case XKB_COMPOSE_CANCELLED:
                    xkb_compose_state_reset(m_compose);
                    break;
                case XKB_COMPOSE_NOTHING:
                    xkb_state_key_get_utf8(m_state, keycode, utf8, sizeof utf8);
                    Text += utf8;
                    break;
                }
            } else {
                xkb_state_key_get_utf8(m_state, keycode, utf8, sizeof utf8);
                Text += utf8;
            }
        }
        xkb_state_update_key(m_state, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    }

    /// The keyboard's modifier and lock state now.
    XkbModifierState modifierState() const {
        return {xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE)};
    }

    std::string Text;

private:
    xkb_state* m_state;
    xkb_compose_state* m_compose = nullptr;
};

/// Types a layout's keys into a replay, as a virtual keyboard would into the compositor; tells the
/// layout the modifier state after every key, as the compositor would.
class ReplayKeyboard final : public KeyboardInjector {
public:
    ReplayKeyboard(XkbLayout& layout, XkbReplay& replay) : m_layout(layout), m_replay(replay) {}
    void sendKey(std::uint16_t virtualKey, bool down) override {
        for (const KeyEdge& edge : m_layout.keyEdges(virtualKey, down))
            m_replay.key(edge.Keycode, edge.Down);
        m_layout.setModifierState(m_replay.modifierState());
    }
    void sync() override {}
    void saveModifiers() override {}
    void clearModifiers() override {}
    void restoreModifiers() override {}
    bool capsLock() const override { return m_layout.capsLock(); }
    void setCapsLock(bool on) override {
        if (on == capsLock())
            return;
        m_replay.key(m_layout.capsLockKey(), true);
        m_replay.key(m_layout.capsLockKey(), false);
        m_layout.setModifierState(m_replay.modifierState());
    }

private:
    XkbLayout& m_layout;
    XkbReplay& m_replay;
};

} // namespace quorvane::test
