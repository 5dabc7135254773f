#pragma once
// File access that fails on demand and otherwise passes to another FileAccess (often the real one),
// or keeps the files in memory when it has none.

#include "platform/FileAccess.h"

#include <deque>
#include <map>
#include <memory>
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
        ++Opens;
        const AppendResult result = write(path, bytes);
        ++Closes;
        return result;
    }

    /// A handle whose appends count and fail like appendToFile's, without opening again.
    std::unique_ptr<AppendFile> openForAppend(const std::string& path, std::string&) override {
        ++Opens;
        return std::make_unique<Handle>(*this, path);
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
    /// Opens and closes of files for appending, whether per append or of a handle.
    int Opens = 0;
    int Closes = 0;
    /// Files open for appending now.
    int openHandles() const { return Opens - Closes; }

private:
    class Handle final : public AppendFile {
    public:
        Handle(FakeFileAccess& files, std::string path) : m_files(files), m_path(std::move(path)) {}
        ~Handle() override { close(); }
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;
        AppendResult append(std::string_view bytes) override { return m_files.write(m_path, bytes); }
        std::string close() override {
            if (!m_open)
                return {};
            m_open = false;
            ++m_files.Closes;
            return {};
        }

    private:
        FakeFileAccess& m_files;
        std::string m_path;
        bool m_open = true;
    };

    AppendResult write(const std::string& path, std::string_view bytes) {
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

    FileAccess* m_inner;
};

} // namespace quorvane::test
