#include "config/RecentFiles.h"

namespace quorvane {

namespace {
constexpr std::string_view kApplication = "Quorvane";
constexpr std::string_view kSection = "MRUFiles";
} // namespace

RecentFiles::RecentFiles(SettingsStore& store) : m_store(store) {}

void RecentFiles::LoadRecentFiles() {
    int i = 0;
    for (;;) {
        std::string path = m_store.GetSetting(kApplication, kSection, std::to_string(i), "");
        if (path.empty())
            break;
        if (static_cast<std::size_t>(i) >= m_entries.size())
            m_entries.emplace_back();
        m_entries[static_cast<std::size_t>(i)] = Entry{std::move(path), true};
        m_separatorsVisible = true;
        ++i;
    }
    m_recentCount = i - 1;
}

void RecentFiles::moveToTop(int k) {
    if (k < 0 || k > m_recentCount)
        return;
    std::string path = m_entries[static_cast<std::size_t>(k)].Caption;
    for (int j = k; j >= 1; --j)
        m_entries[static_cast<std::size_t>(j)].Caption = m_entries[static_cast<std::size_t>(j - 1)].Caption;
    m_entries[0].Caption = std::move(path);
}

void RecentFiles::AddRecentFile(const std::string& path) {
    // Paths are compared exactly: on Linux two spellings that differ in case are two files.
    for (int k = 0; k <= m_recentCount; ++k) {
        if (m_entries[static_cast<std::size_t>(k)].Caption == path) {
            moveToTop(k);
            m_entries[0].Caption = path;
            m_separatorsVisible = true;
            return;
        }
    }
    if (m_recentCount < kMaxEntries - 1) {
        ++m_recentCount;
        if (static_cast<std::size_t>(m_recentCount) >= m_entries.size())
            m_entries.emplace_back();
        m_entries[static_cast<std::size_t>(m_recentCount)].Visible = true;
    }
    for (int j = m_recentCount; j >= 1; --j)
        m_entries[static_cast<std::size_t>(j)].Caption = m_entries[static_cast<std::size_t>(j - 1)].Caption;
    m_entries[0].Caption = path;
    m_separatorsVisible = true;
}

void RecentFiles::SaveRecentFiles() const {
    for (int i = 0; i <= m_recentCount; ++i)
        m_store.SaveSetting(kApplication, kSection, std::to_string(i),
                            m_entries[static_cast<std::size_t>(i)].Caption);
}

std::string RecentFiles::caption(int k) const {
    if (k < 0 || static_cast<std::size_t>(k) >= m_entries.size())
        return {};
    return m_entries[static_cast<std::size_t>(k)].Caption;
}

} // namespace quorvane
