#include "platform/wayland/WaylandProtocols.h"

#include <wayland-client-protocol.h>

namespace quorvane::wayland {

namespace {

// Each message's types list one entry per argument: the interface of an object or new-id
// argument, null for the others. A leading digit in a signature is the version that added it;
// "?" marks an argument that may be null.
const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_interface* kCreateKeyboardTypes[] = {&wl_seat_interface, &kVirtualKeyboard};
const wl_interface* kNewToplevelTypes[] = {&kToplevelHandle};
const wl_interface* kSeatTypes[] = {&wl_seat_interface};
const wl_interface* kOutputTypes[] = {&wl_output_interface};
const wl_interface* kRectangleTypes[] = {&wl_surface_interface, nullptr, nullptr, nullptr, nullptr};
const wl_interface* kParentTypes[] = {&kToplevelHandle};

const wl_message kManagerRequests[] = {
    {"create_virtual_keyboard", "on", kCreateKeyboardTypes},
};

const wl_message kKeyboardRequests[] = {
    {"keymap", "uhu", kNoTypes},
    {"key", "uuu", kNoTypes},
    {"modifiers", "uuuu", kNoTypes},
    {"destroy", "", kNoTypes},
};

const wl_message kToplevelManagerRequests[] = {
    {"stop", "", kNoTypes},
};
const wl_message kToplevelManagerEvents[] = {
    {"toplevel", "n", kNewToplevelTypes},
    {"finished", "", kNoTypes},
};

const wl_message kToplevelRequests[] = {
    {"set_maximized", "", kNoTypes},
    {"unset_maximized", "", kNoTypes},
    {"set_minimized", "", kNoTypes},
    {"unset_minimized", "", kNoTypes},
    {"activate", "o", kSeatTypes},
    {"close", "", kNoTypes},
    {"set_rectangle", "oiiii", kRectangleTypes},
    {"destroy", "", kNoTypes},
    {"set_fullscreen", "2?o", kOutputTypes},
    {"unset_fullscreen", "2", kNoTypes},
};
const wl_message kToplevelEvents[] = {
    {"title", "s", kNoTypes},
    {"app_id", "s", kNoTypes},
    {"output_enter", "o", kOutputTypes},
    {"output_leave", "o", kOutputTypes},
    {"state", "a", kNoTypes},
    {"done", "", kNoTypes},
    {"closed", "", kNoTypes},
    {"parent", "3?o", kParentTypes},
};

} // namespace

const wl_interface kVirtualKeyboardManager = {
    "zwp_virtual_keyboard_manager_v1", 1, 1, kManagerRequests, 0, nullptr};
const wl_interface kVirtualKeyboard = {"zwp_virtual_keyboard_v1", 1, 4, kKeyboardRequests, 0, nullptr};
const wl_interface kToplevelManager = {"zwlr_foreign_toplevel_manager_v1", 3, 1,
                                       kToplevelManagerRequests,           2, kToplevelManagerEvents};
const wl_interface kToplevelHandle = {
    "zwlr_foreign_toplevel_handle_v1", 3, 10, kToplevelRequests, 8, kToplevelEvents};

} // namespace quorvane::wayland
