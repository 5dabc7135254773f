// The recent-file list: what the File menu shows and what reaches the per-user store.

#include <gtest/gtest.h>

#include "config/RecentFiles.h"
#include "fakes/FakeSettingsStore.h"

namespace quorvane {
namespace {

using Key = test::FakeSettingsStore::Key;

TEST(RecentFiles, EmptyStoreShowsNoEntriesAndNoSeparators) {
    test::FakeSettingsStore store;
    RecentFiles recent(store);
    recent.LoadRecentFiles();
    EXPECT_EQ(recent.RecentCount(), -1);
    ASSERT_EQ(recent.entries().size(), 1u);
    EXPECT_FALSE(recent.entries()[0].Visible);
    EXPECT_FALSE(recent.separatorsVisible());
    recent.SaveRecentFiles();
    EXPECT_EQ(store.Writes, 0);
}

TEST(RecentFiles, FiveFilesKeepTheLastFourMostRecentFirst) {
    test::FakeSettingsStore store;
    RecentFiles recent(store);
    for (const char* path : {"/a.QV3", "/b.QV3", "/c.QV3", "/d.QV3", "/e.QV3"})
        recent.AddRecentFile(path);
    EXPECT_EQ(recent.RecentCount(), 3);
    EXPECT_EQ(recent.caption(0), "/e.QV3");
    EXPECT_EQ(recent.caption(3), "/b.QV3");
    EXPECT_TRUE(recent.separatorsVisible());
    for (const auto& entry : recent.entries())
        EXPECT_TRUE(entry.Visible);

    recent.SaveRecentFiles();
    EXPECT_EQ(store.Entries.size(), 4u);
    EXPECT_EQ(store.Entries.at(Key("Quorvane", "MRUFiles", "0")), "/e.QV3");
    EXPECT_EQ(store.Entries.at(Key("Quorvane", "MRUFiles", "3")), "/b.QV3");
}

TEST(RecentFiles, ReopeningAListedFileMovesItUpAndKeepsTheOthersInOrder) {
    test::FakeSettingsStore store;
    RecentFiles recent(store);
    for (const char* path : {"/a.QV3", "/b.QV3", "/c.QV3"})
        recent.AddRecentFile(path);
    recent.AddRecentFile("/a.QV3");
    EXPECT_EQ(recent.RecentCount(), 2);
    EXPECT_EQ(recent.caption(0), "/a.QV3");
    EXPECT_EQ(recent.caption(1), "/c.QV3");
    EXPECT_EQ(recent.caption(2), "/b.QV3");
}

TEST(RecentFiles, PathsDifferingOnlyInCaseAreDifferentFiles) {
    test::FakeSettingsStore store;
    RecentFiles recent(store);
    recent.AddRecentFile("/data/Scale.QV3");
    recent.AddRecentFile("/data/scale.QV3");
    EXPECT_EQ(recent.RecentCount(), 1);
}

TEST(RecentFiles, LoadingStopsAtTheFirstEmptyKeyAndHasNoUpperBound) {
    test::FakeSettingsStore store;
    for (int i = 0; i < 6; ++i)
        store.Entries[Key("Quorvane", "MRUFiles", std::to_string(i))] = "/f" + std::to_string(i);
    store.Entries[Key("Quorvane", "MRUFiles", "3")] = "";
    RecentFiles recent(store);
    recent.LoadRecentFiles();
    EXPECT_EQ(recent.RecentCount(), 2);
    EXPECT_EQ(recent.caption(2), "/f2");
    EXPECT_TRUE(recent.separatorsVisible());

    store.Entries[Key("Quorvane", "MRUFiles", "3")] = "/f3";
    RecentFiles longer(store);
    longer.LoadRecentFiles();
    EXPECT_EQ(longer.RecentCount(), 5);
    longer.AddRecentFile("/new");
    EXPECT_EQ(longer.RecentCount(), 5); // a long list stays as long; the oldest drops off
    EXPECT_EQ(longer.caption(0), "/new");
    EXPECT_EQ(longer.caption(5), "/f4");
}

TEST(RecentFiles, SavingLeavesHigherKeysAlone) {
    test::FakeSettingsStore store;
    store.Entries[Key("Quorvane", "MRUFiles", "3")] = "/stale";
    RecentFiles recent(store);
    recent.AddRecentFile("/only");
    recent.SaveRecentFiles();
    EXPECT_EQ(store.Entries.at(Key("Quorvane", "MRUFiles", "0")), "/only");
    EXPECT_EQ(store.Entries.at(Key("Quorvane", "MRUFiles", "3")), "/stale");
}

} // namespace
} // namespace quorvane
