// The per-user store on real INI files in a temporary XDG_CONFIG_HOME.

#include <cstdlib>

#include <gtest/gtest.h>

#include "fakes/TempDir.h"
#include "config/RecentFiles.h"
#include "platform/qt/QtSettingsStore.h"

#include <QSettings>

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

TEST(QtSettingsStore, RecentFilesWithNonAsciiPathsAreStoredAsTheNamesQtReads) {
    test::TempDir folder;
    const QString qtFolder = QString::fromStdString(folder.path().string());
    const std::string path = "/home/j\xC3\xBCrgen/\xD0\x92\xD0\xB5\xD1\x81\xD1\x8B.QV3"; // UTF-8
    {
        QtSettingsStore store(qtFolder);
        RecentFiles recent(store);
        recent.AddRecentFile(path);
        recent.SaveRecentFiles();
    }
    QSettings ini(qtFolder + QStringLiteral("/Quorvane.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("MRUFiles/0")).toString(), QString::fromUtf8(path.c_str()));
    QtSettingsStore again(qtFolder);
    RecentFiles loaded(again);
    loaded.LoadRecentFiles();
    EXPECT_EQ(loaded.caption(0), path);
}

TEST(QtSettingsStore, EmptyValueIsStoredAndReadAsEmpty) {
    test::TempDir folder;
    QtSettingsStore store(QString::fromStdString(folder.path().string()));
    store.SaveSetting("Quorvane", "MRUFiles", "1", "");
    EXPECT_EQ(store.GetSetting("Quorvane", "MRUFiles", "1", "default"), "");
}

} // namespace
} // namespace quorvane
