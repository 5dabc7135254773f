#pragma once
// A keyboard layout as libxkbcommon compiles it: from the keymap text a display server sends its
// clients, or from layout names looked up in the system's keyboard descriptions.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct xkb_context;
struct xkb_keymap;

namespace quorvane {

/// The modifier and lock state of a keyboard, in the masks of its keymap, as the compositor
/// (wl_keyboard.modifiers) or the X server (XkbStateNotify) reports it.
struct XkbModifierState {
    std::uint32_t Depressed = 0;
    std::uint32_t Latched = 0;
    std::uint32_t Locked = 0;
    /// The active layout (group) of a keymap with several.
    std::uint32_t Group = 0;
    bool operator==(const XkbModifierState&) const = default;
};

/// Names that select a layout from the system's keyboard descriptions (rules "evdev").
struct XkbLayoutNames {
    /// "us", "de", "fr", ...; several separated by commas. Empty: the system's default.
    std::string Layout;
    /// "nodeadkeys", "intl", ...; empty for the layout's basic variant.
    std::string Variant;
    /// "pc105" when empty.
    std::string Model;
    /// XKB options such as "lv3:ralt_switch"; may be empty.
    std::string Options;
};

/// The layout names of the system's keyboard configuration: the text of /etc/default/keyboard
/// (XKBLAYOUT="de", XKBVARIANT=..., XKBMODEL, XKBOPTIONS), the console's and the login screen's.
XkbLayoutNames SystemLayoutNames(std::string_view keyboardFile);

/// A compiled keymap; copies share it.
class XkbKeymap {
public:
    /// Compiles keymap text (the xkb_keymap format of wl_keyboard.keymap and xkb_keymap_get_as_string).
    /// An empty keymap and the reason in *error when the text does not compile.
    static XkbKeymap fromText(std::string_view text, std::string* error = nullptr);
    /// Compiles the layout the names select. An empty keymap and the reason in *error when there is none.
    static XkbKeymap fromNames(const XkbLayoutNames& names, std::string* error = nullptr);
    /// Takes a keymap compiled elsewhere (a reference of its own; the caller keeps its own).
    static XkbKeymap adopt(xkb_keymap* keymap);

    XkbKeymap() = default;
    /// Whether a keymap was compiled.
    bool ok() const { return m_keymap != nullptr; }
    /// The keymap, for xkbcommon calls; null when not ok().
    xkb_keymap* get() const { return m_keymap.get(); }
    /// The keymap as text, as a Wayland compositor or client would send it; empty when not ok().
    std::string text() const;

private:
    std::shared_ptr<xkb_keymap> m_keymap;
};

/// A new libxkbcommon context with the system's default include paths; null when none can be made.
std::shared_ptr<xkb_context> newXkbContext();

} // namespace quorvane
