#pragma once
// File access that fails on demand and otherwise passes to another FileAccess (often the real one),
// or keeps the files in memory when it has none.

#include "platform/FileAccess.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace quorvane::test {

class FakeFileAccess final : public FileAccess {
public:
    /// A scripted failure: how many bytes still reach the file, and the error text.
    struct Failure {
        std::size_t Written = 0;
        std::string Error = "Permission denied";
    };

    explicit FakeFileAccess(FileAccess* inner = nullptr) : m_inner(inner) {}

    AppendResult appendToFile(const std::string& path, std::string_view bytes) override {
        Appends.emplace_back(bytes);
        if (!Failures.empty()) {
            Failure failure = Failures.front();
            Failures.pop_front();
            const std::string_view part = bytes.substr(0, failure.Written);
            if (m_inner)
                m_inner->appendToFile(path, part);
            else
                Files[path] += part;
            return {part.size(), failure.Error};
        }
        if (m_inner)
            return m_inner->appendToFile(path, bytes);
        Files[path] += bytes;
        return {bytes.size(), {}};
    }

    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override {
        if (m_inner)
            return m_inner->readFile(path, maxBytes);
        const auto it = Files.find(path);
        if (it == Files.end() || it->second.size() > maxBytes)
            return std::nullopt;
        return it->second;
    }

    /// Failures of the coming appends, front first.
    std::deque<Failure> Failures;
    /// The text of every append, in order.
    std::vector<std::string> Appends;
    /// Files kept in memory when there is no inner FileAccess.
    std::map<std::string, std::string> Files;

private:
    FileAccess* m_inner;
};

} // namespace quorvane::test
