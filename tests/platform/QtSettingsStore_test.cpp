// The per-user store on real INI files in a temporary XDG_CONFIG_HOME.

#include <cstdlib>

#include <gtest/gtest.h>

#include "fakes/TempDir.h"
#include "platform/qt/QtSettingsStore.h"

namespace quorvane {
namespace {

TEST(QtSettingsStore, KeepsTextsPerApplicationUnderXdgConfigHome) {
    test::TempDir home;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", home.path().c_str(), 1), 0);
    const std::string path = "/home/j\xFCrgen/Waage \x80.QV3"; // bytes of the code page
    {
        QtSettingsStore store;
        EXPECT_EQ(store.GetSetting("Quorvane", "MRUFiles", "0", "none"), "none");
        store.SaveSetting("Quorvane", "MRUFiles", "0", path);
        store.SaveSetting("Quorvane - COM1", "Settings", "MainLeft", "120");
    }
    QtSettingsStore again;
    EXPECT_EQ(again.GetSetting("Quorvane", "MRUFiles", "0", ""), path);
    EXPECT_EQ(again.GetSetting("Quorvane - COM1", "Settings", "MainLeft", ""), "120");
    EXPECT_EQ(again.GetSetting("Quorvane - COM2", "Settings", "MainLeft", "0"), "0");
    EXPECT_EQ(again.fileFor("Quorvane - COM1").toStdString(),
              (home.path() / "quorvane" / "Quorvane - COM1.ini").string());
    EXPECT_TRUE(std::filesystem::exists(home.path() / "quorvane" / "Quorvane.ini"));
    unsetenv("XDG_CONFIG_HOME");
}

TEST(QtSettingsStore, EmptyValueIsStoredAndReadAsEmpty) {
    test::TempDir folder;
    QtSettingsStore store(QString::fromStdString(folder.path().string()));
    store.SaveSetting("Quorvane", "MRUFiles", "1", "");
    EXPECT_EQ(store.GetSetting("Quorvane", "MRUFiles", "1", "default"), "");
}

} // namespace
} // namespace quorvane
