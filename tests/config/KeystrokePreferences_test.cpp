// The Preferences dialog's keystroke controls as plain rules: which drop-down entry a stored back end
// shows, what each entry stores, which controls apply, and that OK writes only what the user changed.

#include <gtest/gtest.h>

#include "config/KeystrokePreferences.h"
#include "fakes/FakeSettingsStore.h"

namespace quorvane {
namespace {

using Store = test::FakeSettingsStore;

std::string stored(const Store& store, const char* key) {
    return store.GetSetting("Quorvane", "Keystrokes", key, "<absent>");
}

struct StoredCase {
    const char* Stored; // nullptr: no entry
    int Shown;
};

class KeystrokeChoiceShown : public testing::TestWithParam<StoredCase> {};

TEST_P(KeystrokeChoiceShown, AStoredNameShowsItsEntryAndAnUnknownOneAutomatic) {
    Store store;
    if (GetParam().Stored != nullptr)
        store.SaveSetting("Quorvane", "Keystrokes", "Backend", GetParam().Stored);
    EXPECT_EQ(LoadKeystrokeForm(store).Backend, GetParam().Shown);
    if (GetParam().Stored != nullptr) {
        EXPECT_EQ(KeystrokeChoiceOfStored(GetParam().Stored), GetParam().Shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, KeystrokeChoiceShown,
                         testing::Values(StoredCase{nullptr, 0}, StoredCase{"auto", 0}, StoredCase{"x11", 1},
                                         StoredCase{"Wayland", 2}, StoredCase{"UINPUT", 3},
                                         StoredCase{"xtest", 0}, StoredCase{"", 0}, StoredCase{" x11", 0}));

struct EntryCase {
    int Choice;
    const char* Caption;
    const char* Stored;
    bool UinputSettings;
};

class KeystrokeChoiceStored : public testing::TestWithParam<EntryCase> {};

TEST_P(KeystrokeChoiceStored, EachEntryStoresItsNameAndEnablesTheKernelKeyboardsSettings) {
    const EntryCase& c = GetParam();
    EXPECT_EQ(kKeystrokeBackendChoices[static_cast<std::size_t>(c.Choice)].Caption, c.Caption);
    Store store;
    store.SaveSetting("Quorvane", "Keystrokes", "Backend", "nonsense");
    const KeystrokeForm shown = LoadKeystrokeForm(store);
    KeystrokeForm form = shown;
    form.Backend = c.Choice;
    form.Layout = "de";
    ApplyKeystrokeForm(shown, form, store);
    EXPECT_EQ(stored(store, "Backend"), c.Choice == 0 ? "nonsense" : c.Stored);
    EXPECT_EQ(KeystrokeChoiceOfStored(stored(store, "Backend")), c.Choice);
    EXPECT_EQ(form.uinputSettingsEnabled(), c.UinputSettings);
    EXPECT_EQ(form.variantEnabled(), c.UinputSettings);
}

INSTANTIATE_TEST_SUITE_P(Entries, KeystrokeChoiceStored,
                         testing::Values(EntryCase{0, "Automatic", "auto", true},
                                         EntryCase{1, "X11 (XTest)", "x11", false},
                                         EntryCase{2, "Wayland virtual keyboard", "wayland", false},
                                         EntryCase{3, "Kernel virtual keyboard (uinput)", "uinput", true}));

TEST(KeystrokeForm, OkWritesOnlyWhatChangedTrimmedAndInRange) {
    Store store;
    store.SaveSetting("Quorvane", "Keystrokes", "Backend", "X11");
    store.SaveSetting("Quorvane", "Keystrokes", "Layout", "ch");
    store.SaveSetting("Quorvane", "Keystrokes", "KeyDelay", "20");
    const KeystrokeForm shown = LoadKeystrokeForm(store);
    EXPECT_EQ(shown, (KeystrokeForm{1, "ch", "", 20, 0}));
    store.Writes = 0;
    ApplyKeystrokeForm(shown, shown, store);
    EXPECT_EQ(store.Writes, 0);

    KeystrokeForm form = shown;
    form.Layout = " ch ";
    form.Variant = " fr ";
    form.KeyDelay = 20;
    form.HoldTime = 5000;
    ApplyKeystrokeForm(shown, form, store);
    EXPECT_EQ(store.Writes, 2);
    EXPECT_EQ(stored(store, "Backend"), "X11");
    EXPECT_EQ(stored(store, "Layout"), "ch");
    EXPECT_EQ(stored(store, "Variant"), "fr");
    EXPECT_EQ(stored(store, "HoldTime"), "1000");
    EXPECT_EQ(LoadKeystrokeSettings(store),
              (KeystrokeSettings{KeystrokeBackendKind::X11, "ch", "fr", 20, kMaxKeystrokeTiming}));

    form.Layout = "";
    EXPECT_FALSE(form.variantEnabled());
}

} // namespace
} // namespace quorvane
