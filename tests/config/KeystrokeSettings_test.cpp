// The choice of keystroke back end for the session and the user's keystroke settings in the store.

#include <gtest/gtest.h>

#include "config/KeystrokeSettings.h"
#include "fakes/FakeSettingsStore.h"

#include <map>

namespace quorvane {
namespace {

using B = KeystrokeBackendKind;

struct ChoiceCase {
    std::map<std::string, std::string> Environment;
    B Wanted;
    bool Offered; // the compositor offers its virtual keyboard
    B Chosen;
    bool Asked; // whether the compositor had to be asked
};

class KeystrokeChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(KeystrokeChoice, TheSessionDecidesUnlessTheUserDid) {
    const ChoiceCase& c = GetParam();
    const KeystrokeSession session = SessionOfEnvironment([&](const char* name) -> const char* {
        const auto it = c.Environment.find(name);
        return it == c.Environment.end() ? nullptr : it->second.c_str();
    });
    bool asked = false;
    EXPECT_EQ(ChooseKeystrokeBackend(c.Wanted, session,
                                     [&] {
                                         asked = true;
                                         return c.Offered;
                                     }),
              c.Chosen);
    EXPECT_EQ(asked, c.Asked);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, KeystrokeChoice,
    ::testing::Values(
        // X11 session.
        ChoiceCase{{{"DISPLAY", ":0"}}, B::Auto, true, B::X11, false},
        ChoiceCase{{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, B::Auto, false, B::X11, false},
        // Wayland: the compositor's virtual keyboard where offered, even with XWayland's DISPLAY.
        ChoiceCase{{{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":0"}}, B::Auto, true, B::Wayland, true},
        ChoiceCase{{{"WAYLAND_DISPLAY", "wayland-0"}}, B::Auto, false, B::Uinput, true},
        ChoiceCase{{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}, B::Auto, false, B::Uinput, true},
        // No display at all (text console, service): only the kernel's keyboard reaches anything.
        ChoiceCase{{}, B::Auto, true, B::Uinput, false},
        ChoiceCase{{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", "tty"}},
                   B::Auto,
                   true,
                   B::Uinput,
                   false},
        // What the user chose stands, asked of nobody.
        ChoiceCase{{{"WAYLAND_DISPLAY", "wayland-0"}}, B::X11, true, B::X11, false},
        ChoiceCase{{{"DISPLAY", ":0"}}, B::Uinput, true, B::Uinput, false},
        ChoiceCase{{}, B::Wayland, false, B::Wayland, false}));

TEST(KeystrokeBackendName, NamesReadBackWithoutRegardToCase) {
    for (B backend : {B::Auto, B::X11, B::Wayland, B::Uinput})
        EXPECT_EQ(KeystrokeBackendOfName(KeystrokeBackendName(backend)), backend);
    EXPECT_EQ(KeystrokeBackendOfName("UInput"), B::Uinput);
    EXPECT_EQ(KeystrokeBackendOfName("xtest"), std::nullopt);
    EXPECT_EQ(KeystrokeBackendOfName(""), std::nullopt);
}

TEST(KeystrokeSettings, StoredSettingsReadBackAndBadOnesReadAsDefaultsOrInRange) {
    test::FakeSettingsStore store;
    EXPECT_EQ(LoadKeystrokeSettings(store), KeystrokeSettings{});
    const KeystrokeSettings mine{B::Uinput, "de", "nodeadkeys", 12, 30};
    SaveKeystrokeSettings(mine, store);
    EXPECT_EQ(store.GetSetting("Quorvane", "Keystrokes", "Backend", ""), "uinput");
    EXPECT_EQ(LoadKeystrokeSettings(store), mine);

    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"Backend", "xtest"}, {"KeyDelay", "-5"}, {"HoldTime", "99999"}, {"KeyDelay", "12ms"}})
        store.SaveSetting("Quorvane", "Keystrokes", key, value);
    const KeystrokeSettings read = LoadKeystrokeSettings(store);
    EXPECT_EQ(read.Backend, B::Auto);
    EXPECT_EQ(read.KeyDelay, 0);
    EXPECT_EQ(read.HoldTime, kMaxKeystrokeTiming);
}

} // namespace
} // namespace quorvane
