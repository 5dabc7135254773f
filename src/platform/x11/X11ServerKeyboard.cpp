#include "platform/x11/X11ServerKeyboard.h"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
// xcb's XKB header names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace quorvane {

X11ServerKeyboard::X11ServerKeyboard(const char* name) {
    m_connection = xcb_connect(name, nullptr);
    if (xcb_connection_has_error(m_connection) != 0) {
        m_problem = "cannot connect to the X display";
        return;
    }
    if (xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                    XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                    nullptr, nullptr, &m_xkbEvent, nullptr) == 0) {
        m_problem = "the X server has no XKB extension";
        return;
    }
    m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection);
    if (m_deviceId < 0) {
        m_problem = "the X server names no core keyboard";
        return;
    }
    // The server tells of a new keymap, or of the keys of one changed, as it happens.
    constexpr std::uint16_t kEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t kMapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                        XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                        XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                        XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(m_connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId), kEvents, 0, kEvents,
                          kMapParts, kMapParts, nullptr);
    xcb_flush(m_connection);
}

X11ServerKeyboard::~X11ServerKeyboard() {
    // The keymap copies handed out stay valid: libxkbcommon keeps no reference to the connection.
    xcb_disconnect(m_connection);
}

XkbKeymap X11ServerKeyboard::keymap() {
    if (!ok() || xcb_connection_has_error(m_connection) != 0)
        return {};
    const std::shared_ptr<xkb_context> context = newXkbContext();
    if (!context)
        return {};
    xkb_keymap* read =
        xkb_x11_keymap_new_from_device(context.get(), m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (read == nullptr)
        return {};
    m_keymap = XkbKeymap::adopt(read);
    xkb_keymap_unref(read);
    return m_keymap;
}

bool X11ServerKeyboard::keymapChanged() {
    if (!ok())
        return false;
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        // Every XKB event carries its kind in the byte after the event code.
        if ((event->response_type & 0x7F) == m_xkbEvent) {
            const std::uint8_t kind = reinterpret_cast<const xcb_xkb_map_notify_event_t*>(event)->xkbType;
            changed = changed || kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY;
        }
        std::free(event);
    }
    return changed;
}

std::optional<XkbModifierState> X11ServerKeyboard::state() {
    if (!ok() || xcb_connection_has_error(m_connection) != 0)
        return std::nullopt;
    if (!m_keymap.ok() && !keymap().ok())
        return std::nullopt;
    std::unique_ptr<xkb_state, void (*)(xkb_state*)> now(
        xkb_x11_state_new_from_device(m_keymap.get(), m_connection, m_deviceId), xkb_state_unref);
    if (!now)
        return std::nullopt;
    return XkbModifierState{xkb_state_serialize_mods(now.get(), XKB_STATE_MODS_DEPRESSED),
                            xkb_state_serialize_mods(now.get(), XKB_STATE_MODS_LATCHED),
                            xkb_state_serialize_mods(now.get(), XKB_STATE_MODS_LOCKED),
                            xkb_state_serialize_layout(now.get(), XKB_STATE_LAYOUT_EFFECTIVE)};
}

} // namespace quorvane
