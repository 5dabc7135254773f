#include "platform/xkb/XkbKeymap.h"

#include <algorithm>
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

// A shell assignment's value: quotes removed, nothing expanded.
std::string shellValue(std::string_view text) {
    std::string value;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                value += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' && value.empty()) {
            break;
        } else if (c != ' ' && c != '\t' && c != '\r') {
            value += c;
        } else {
            break;
        }
    }
    return value;
}

} // namespace

XkbLayoutNames SystemLayoutNames(std::string_view keyboardFile) {
    XkbLayoutNames names;
    while (!keyboardFile.empty()) {
        const std::size_t end = keyboardFile.find('\n');
        std::string_view line = keyboardFile.substr(0, end);
        keyboardFile = end == std::string_view::npos ? std::string_view() : keyboardFile.substr(end + 1);
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value = shellValue(line.substr(equals + 1));
        if (key == "XKBLAYOUT")
            names.Layout = value;
        else if (key == "XKBVARIANT")
            names.Variant = value;
        else if (key == "XKBMODEL")
            names.Model = value;
        else if (key == "XKBOPTIONS")
            names.Options = value;
    }
    return names;
}

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
