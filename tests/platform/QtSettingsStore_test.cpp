// The per-user store on real INI files in a temporary XDG_CONFIG_HOME.

#include <cstdlib>
#include <vector>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "fakes/SpecialFiles.h"
#include "fakes/TempDir.h"
#include "config/ConfigFiles.h"
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

// A store whose reports are kept for the test.
struct ReportingStore {
    explicit ReportingStore(const test::TempDir& folder)
        : Store(QString::fromStdString(folder.path().string()),
                [this](const std::string& why) { Reports.push_back(why); }) {}
    std::vector<std::string> Reports;
    QtSettingsStore Store;
};

class SettingsFileThatIsNoFile : public testing::TestWithParam<test::SpecialFile> {};

// A FIFO would block the start (no writer ever comes), and a save would rename an INI file over a
// device node behind a link: neither is opened, each is reported once and left as it was.
TEST_P(SettingsFileThatIsNoFile, IsNeitherReadNorReplacedAndIsReportedOnce) {
    test::TempDir folder;
    const std::string path = folder.file("Quorvane - COM1.ini");
    if (!test::makeSpecialFile(GetParam(), path))
        GTEST_SKIP() << "cannot make " << GetParam().Kind << " here";
    const mode_t before = test::fileType(path, false);
    ReportingStore reporting(folder);
    EXPECT_EQ(reporting.Store.GetSetting("Quorvane - COM1", "Settings", "MainLeft", "7"), "7");
    reporting.Store.SaveSetting("Quorvane - COM1", "Settings", "MainLeft", "120");
    EXPECT_EQ(test::fileType(path, false), before);
    ASSERT_EQ(reporting.Reports.size(), 1u);
    EXPECT_NE(reporting.Reports[0].find(GetParam().Kind), std::string::npos) << reporting.Reports[0];
    EXPECT_NE(reporting.Reports[0].find(path), std::string::npos) << reporting.Reports[0];
}

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsFileThatIsNoFile, testing::ValuesIn(test::kSpecialFiles),
                         [](const auto& p) { return std::string(p.param.Name); });

// Damage that costs entries (here the port binding behind two stray bytes) is said, and the next
// save does not write the file again from the entries that were left.
TEST(QtSettingsStore, FileThatCannotBeReadWholeIsReportedAndNeverRewritten) {
    test::TempDir folder;
    const std::string path = folder.file("Quorvane.ini");
    const std::string damaged = "\xFF\xFE[Ports]\nCOM1=/dev/ttyUSB0\nnot an entry\n";
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    ReportingStore reporting(folder);
    reporting.Store.GetSetting("Quorvane", "Ports", "COM1", "");
    reporting.Store.SaveSetting("Quorvane", "MRUFiles", "0", "/tmp/lab.QV3");
    EXPECT_EQ(ReadWholeFile(path).value_or(""), damaged);
    ASSERT_EQ(reporting.Reports.size(), 1u);
    EXPECT_NE(reporting.Reports[0].find("cannot be read"), std::string::npos) << reporting.Reports[0];
}

} // namespace
} // namespace quorvane
