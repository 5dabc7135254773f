#pragma once
// Client-side descriptions of the two wlroots protocols Quorvane speaks: the virtual keyboard
// (zwp_virtual_keyboard_manager_v1, zwp_virtual_keyboard_v1) and the list of the desktop's windows
// (zwlr_foreign_toplevel_manager_v1, zwlr_foreign_toplevel_handle_v1). libwayland-client marshals
// requests and demarshals events from these tables; the opcodes are the positions of the requests
// and events in them.

#include <cstdint>

struct wl_interface;

namespace quorvane::wayland {

extern const wl_interface kVirtualKeyboardManager;
extern const wl_interface kVirtualKeyboard;
extern const wl_interface kToplevelManager;
extern const wl_interface kToplevelHandle;

/// Requests of zwp_virtual_keyboard_manager_v1.
namespace vkmanager {
inline constexpr std::uint32_t kCreateVirtualKeyboard = 0; // (seat, new id)
} // namespace vkmanager

/// Requests of zwp_virtual_keyboard_v1.
namespace vkeyboard {
inline constexpr std::uint32_t kKeymap = 0;    // (format, fd, size)
inline constexpr std::uint32_t kKey = 1;       // (time, key, state)
inline constexpr std::uint32_t kModifiers = 2; // (depressed, latched, locked, group)
inline constexpr std::uint32_t kDestroy = 3;
/// wl_keyboard's keymap format for xkb text.
inline constexpr std::uint32_t kFormatXkbV1 = 1;
} // namespace vkeyboard

/// Requests of zwlr_foreign_toplevel_manager_v1 (its events: toplevel(new id), finished).
namespace toplevelmanager {
inline constexpr std::uint32_t kStop = 0;
} // namespace toplevelmanager

/// Requests of zwlr_foreign_toplevel_handle_v1 (its events: title, app_id, output_enter,
/// output_leave, state, done, closed, parent).
namespace toplevel {
inline constexpr std::uint32_t kSetMinimized = 2;
inline constexpr std::uint32_t kUnsetMinimized = 3;
inline constexpr std::uint32_t kActivate = 4; // (seat)
inline constexpr std::uint32_t kDestroy = 7;
/// Values in the state event's array.
inline constexpr std::uint32_t kStateMinimized = 1;
inline constexpr std::uint32_t kStateActivated = 2;
} // namespace toplevel

} // namespace quorvane::wayland
