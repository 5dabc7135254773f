#pragma once
// The recent-file list of the File menu, as a model that the setup window's menu mirrors.

#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace quorvane {

/// Entries mnuMRU(0..n) with their captions, entry 0 the most recent, kept in the per-user store
/// under "Quorvane" / "MRUFiles" / "0".."3".
class RecentFiles {
public:
    /// One menu entry.
    struct Entry {
        std::string Caption;
        bool Visible = false;
    };

    explicit RecentFiles(SettingsStore& store);

    /// Reads the stored list; reading stops at the first missing or empty key.
    void LoadRecentFiles();
    /// Puts `path` at the top; a path already listed moves up, a new one pushes the oldest of four out.
    void AddRecentFile(const std::string& path);
    /// Moves entry k to the top, the entries above it one place down.
    void moveToTop(int k);
    /// Writes entries 0..RecentCount to the store; keys above are left as they are.
    void SaveRecentFiles() const;

    /// Number of the last entry in use; -1 while the list is empty.
    int RecentCount() const { return m_recentCount; }
    /// The menu entries created so far (entry 0 always exists).
    const std::vector<Entry>& entries() const { return m_entries; }
    /// Caption of entry k; empty for an entry that does not exist.
    std::string caption(int k) const;
    /// Whether the separators mnuMRUSsep1 and mnuMRUsep2 around the list are shown.
    bool separatorsVisible() const { return m_separatorsVisible; }

    static constexpr int kMaxEntries = 4;

private:
    SettingsStore& m_store;
    std::vector<Entry> m_entries{Entry{}};
    int m_recentCount = -1;
    bool m_separatorsVisible = false;
};

} // namespace quorvane
