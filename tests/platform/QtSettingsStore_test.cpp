// The per-user store on real INI files in a temporary XDG_CONFIG_HOME.

#include <cstdlib>
#include <sys/stat.h>

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

// Engines stopped together each store their window position: one already stored must not rewrite
// the file (which waits for its lock while the others write).
TEST(QtSettingsStore, AValueAlreadyStoredLeavesTheFileAlone) {
    test::TempDir folder;
    QtSettingsStore store(QString::fromStdString(folder.path().string()));
    const auto file = folder.path() / "Quorvane - COM1.ini";
    const auto inode = [&] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    store.SaveSetting("Quorvane - COM1", "Settings", "MainLeft", "120");
    const auto first = inode();
    ASSERT_NE(first, 0u);
    store.SaveSetting("Quorvane - COM1", "Settings", "MainLeft", "120");
    EXPECT_EQ(inode(), first);
    store.SaveSetting("Quorvane - COM1", "Settings", "MainLeft", "121");
    EXPECT_NE(inode(), first) << "a changed value is written";
    EXPECT_EQ(store.GetSetting("Quorvane - COM1", "Settings", "MainLeft", ""), "121");
}

} // namespace
} // namespace quorvane
