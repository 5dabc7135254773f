#include "platform/xkb/XkbKeymap.h"

#include <cstdlib>
#include <xkbcommon/xkbcommon.h>

namespace quorvane {

namespace {

std::shared_ptr<xkb_keymap> own(xkb_keymap* keymap) {
    if (keymap == nullptr)
        return nullptr;
    return std::shared_ptr<xkb_keymap>(keymap, xkb_keymap_unref);
}

void setError(std::string* error, std::string text) {
    if (error != nullptr)
        *error = std::move(text);
}

} // namespace

std::shared_ptr<xkb_context> newXkbContext() {
    // No environment: the keymap must not change with XKB_DEFAULT_* variables of the shell that
    // started the program, only with what the display server or the settings say.
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (context == nullptr)
        return nullptr;
    return std::shared_ptr<xkb_context>(context, xkb_context_unref);
}

XkbKeymap XkbKeymap::fromText(std::string_view text, std::string* error) {
    const auto context = newXkbContext();
    if (!context) {
        setError(error, "the keyboard library could not start");
        return {};
    }
    // The buffer form takes a length, so a keymap whose terminating NUL is missing is still read.
    XkbKeymap keymap;
    keymap.m_keymap = own(xkb_keymap_new_from_buffer(context.get(), text.data(), text.size(),
                                                     XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap.ok())
        setError(error, "the keymap sent by the display server does not compile");
    return keymap;
}

XkbKeymap XkbKeymap::fromNames(const XkbLayoutNames& names, std::string* error) {
    const auto context = newXkbContext();
    if (!context) {
        setError(error, "the keyboard library could not start");
        return {};
    }
    const xkb_rule_names rules{"evdev", names.Model.empty() ? "pc105" : names.Model.c_str(),
                               names.Layout.empty() ? nullptr : names.Layout.c_str(),
                               names.Variant.empty() ? nullptr : names.Variant.c_str(),
                               names.Options.empty() ? nullptr : names.Options.c_str()};
    XkbKeymap keymap;
    keymap.m_keymap = own(xkb_keymap_new_from_names(context.get(), &rules, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap.ok()) {
        std::string what = "no keyboard layout \"" + names.Layout + "\"";
        if (!names.Variant.empty())
            what += " with variant \"" + names.Variant + "\"";
        setError(error, what);
    }
    return keymap;
}

XkbKeymap XkbKeymap::adopt(xkb_keymap* keymap) {
    XkbKeymap result;
    if (keymap != nullptr)
        result.m_keymap = own(xkb_keymap_ref(keymap));
    return result;
}

std::string XkbKeymap::text() const {
    if (!ok())
        return {};
    char* text = xkb_keymap_get_as_string(m_keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
    if (text == nullptr)
        return {};
    std::string result(text);
    std::free(text);
    return result;
}

} // namespace quorvane
