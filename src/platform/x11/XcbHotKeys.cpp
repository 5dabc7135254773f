#include "platform/x11/XcbHotKeys.h"

#include "platform/x11/HotKeyKeysyms.h"

#include <X11/keysym.h>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace quorvane {

namespace {

// The modifier bits of an event's state; the bits above are pointer buttons.
constexpr std::uint16_t kModifierBits = 0xFF;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

} // namespace

XcbHotKeys::XcbHotKeys(const char* display) {
    int screenNumber = 0;
    m_connection = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(m_connection) != 0)
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return;
    m_root = screens.data->root;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    readModifierMasks();
}

XcbHotKeys::~XcbHotKeys() {
    m_handler = {};
    if (ok()) {
        for (const auto& [id, registration] : m_registrations)
            ungrab(registration.Grabs);
        xcb_flush(m_connection);
    }
    if (m_symbols != nullptr)
        xcb_key_symbols_free(m_symbols);
    // xcb_connect never returns null: even a failed connection is an object to disconnect.
    xcb_disconnect(m_connection);
}

bool XcbHotKeys::ok() const {
    return m_connection != nullptr && xcb_connection_has_error(m_connection) == 0 && m_symbols != nullptr;
}

int XcbHotKeys::fileDescriptor() const {
    return ok() ? xcb_get_file_descriptor(m_connection) : -1;
}

std::vector<xcb_keycode_t> XcbHotKeys::keycodesOf(xcb_keysym_t keysym) const {
    std::vector<xcb_keycode_t> codes;
    const XcbReply<xcb_keycode_t> found(xcb_key_symbols_get_keycode(m_symbols, keysym));
    for (const xcb_keycode_t* code = found.get(); code != nullptr && *code != XCB_NO_SYMBOL; ++code)
        codes.push_back(*code);
    return codes;
}

void XcbHotKeys::readModifierMasks() {
    const XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!mapping)
        return;
    // Which of the eight modifiers a key sits on depends on the server's mapping: Num Lock is
    // usually Mod2 and Alt Mod1, but neither is fixed.
    const std::vector<xcb_keycode_t> numLock = keycodesOf(XK_Num_Lock);
    std::vector<xcb_keycode_t> alt = keycodesOf(XK_Alt_L);
    const std::vector<xcb_keycode_t> altRight = keycodesOf(XK_Alt_R);
    alt.insert(alt.end(), altRight.begin(), altRight.end());

    const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    std::uint16_t numLockMask = 0;
    std::uint16_t altMask = 0;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t code = table[modifier * perModifier + k];
            if (code == 0)
                continue;
            const auto bit = static_cast<std::uint16_t>(1U << modifier);
            if (std::find(numLock.begin(), numLock.end(), code) != numLock.end())
                numLockMask = bit;
            if (altMask == 0 && std::find(alt.begin(), alt.end(), code) != alt.end())
                altMask = bit;
        }
    }
    m_numLockMask = numLockMask;
    m_altMask = altMask != 0 ? altMask : static_cast<std::uint16_t>(XCB_MOD_MASK_1);
}

std::uint16_t XcbHotKeys::modifierMask(unsigned modifiers) const {
    std::uint16_t mask = 0;
    if ((modifiers & kHotKeyModShift) != 0)
        mask |= XCB_MOD_MASK_SHIFT;
    if ((modifiers & kHotKeyModControl) != 0)
        mask |= XCB_MOD_MASK_CONTROL;
    if ((modifiers & kHotKeyModAlt) != 0)
        mask |= m_altMask;
    return mask;
}

std::vector<std::uint16_t> XcbHotKeys::lockVariants(std::uint16_t modifiers) const {
    std::vector<std::uint16_t> variants;
    for (const std::uint16_t locks :
         {std::uint16_t{0}, static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK), m_numLockMask,
          static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | m_numLockMask)}) {
        const auto variant = static_cast<std::uint16_t>(modifiers | locks);
        if (std::find(variants.begin(), variants.end(), variant) == variants.end())
            variants.push_back(variant);
    }
    return variants;
}

bool XcbHotKeys::registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) {
    unregisterKey(id);
    if (!ok())
        return false;
    const xcb_keysym_t keysym = HotKeyKeysym(virtualKey);
    if (keysym == 0)
        return false;
    const std::vector<xcb_keycode_t> codes = keycodesOf(keysym);
    if (codes.empty())
        return false;

    const std::uint16_t mask = modifierMask(modifiers);
    // X lets a client grab its own key again, and both registrations would fire; the first one
    // keeps the combination, as a system-wide hot key should.
    if (heldByOtherId(codes, mask))
        return false;
    std::vector<std::pair<KeyGrab, xcb_void_cookie_t>> requests;
    for (const xcb_keycode_t code : codes)
        for (const std::uint16_t variant : lockVariants(mask))
            requests.push_back({{code, variant},
                                xcb_grab_key_checked(m_connection, 1, m_root, variant, code,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
    // Every grab is checked here, so no error of them is left to arrive as an event.
    Registration registration{mask, {}};
    bool refused = false;
    for (const auto& [grab, cookie] : requests) {
        const XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        if (error)
            refused = true;
        else
            registration.Grabs.push_back(grab);
    }
    if (refused || !ok()) {
        ungrab(registration.Grabs);
        xcb_flush(m_connection);
        return false;
    }
    m_registrations[id] = std::move(registration);
    return true;
}

bool XcbHotKeys::heldByOtherId(const std::vector<xcb_keycode_t>& codes, std::uint16_t mask) const {
    return std::any_of(m_registrations.begin(), m_registrations.end(), [&](const auto& entry) {
        const Registration& held = entry.second;
        return held.Modifiers == mask &&
               std::any_of(held.Grabs.begin(), held.Grabs.end(), [&](const KeyGrab& g) {
                   return std::find(codes.begin(), codes.end(), g.first) != codes.end();
               });
    });
}

void XcbHotKeys::ungrab(const std::vector<KeyGrab>& grabs) {
    // Unchecked: an error of these would come back as an event, which dispatchPending discards.
    for (const auto& [code, variant] : grabs)
        xcb_ungrab_key(m_connection, code, m_root, variant);
}

void XcbHotKeys::unregisterKey(int id) {
    const auto found = m_registrations.find(id);
    if (found == m_registrations.end())
        return;
    if (ok()) {
        ungrab(found->second.Grabs);
        xcb_flush(m_connection);
    }
    m_registrations.erase(found);
}

void XcbHotKeys::dispatchPending() {
    if (!ok())
        return;
    std::vector<int> pressed;
    while (const XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
        const auto type = static_cast<std::uint8_t>(event->response_type & 0x7F);
        if (type == XCB_KEY_PRESS) {
            const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
            const auto state = static_cast<std::uint16_t>(press->state & kModifierBits &
                                                          ~(XCB_MOD_MASK_LOCK | m_numLockMask));
            for (const auto& [id, registration] : m_registrations) {
                const bool ours = registration.Modifiers == state &&
                                  std::any_of(registration.Grabs.begin(), registration.Grabs.end(),
                                              [&](const KeyGrab& g) { return g.first == press->detail; });
                if (ours)
                    pressed.push_back(id);
            }
        } else if (type == XCB_MAPPING_NOTIFY) {
            // Later registrations use the new keymap; grabs already made keep their keycodes.
            xcb_refresh_keyboard_mapping(m_symbols,
                                         reinterpret_cast<xcb_mapping_notify_event_t*>(event.get()));
            readModifierMasks();
        }
        // Anything else, errors of unchecked requests included, needs no answer.
    }
    // Delivered after the queue is drained: a handler may register or release keys.
    for (const int id : pressed)
        if (m_handler)
            m_handler(id);
}

} // namespace quorvane
