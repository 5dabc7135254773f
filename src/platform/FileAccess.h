#pragma once
// The two file operations of the running engine: appending a record to the log file and reading
// a file to send to the device. Each call opens and closes the file again, except appends through
// an AppendFile, which keeps the file open across several appends.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// What became of an append: the bytes written before a failure, and the failure's text.
struct AppendResult {
    /// Bytes of the text that reached the file (all of them on success).
    std::size_t Written = 0;
    /// Empty on success; otherwise the system's description of the failure.
    std::string Error;
    /// The file is a pipe whose reader has not taken what came before: worth trying again soon.
    bool Busy = false;
    /// True when the whole text was written.
    bool ok() const { return Error.empty(); }
};

/// A file held open for appending. Each append is written at once (nothing is held back in the
/// process), so a reader of the file sees it as soon as append returns.
class AppendFile {
public:
    /// Closes the file if close() has not.
    virtual ~AppendFile() = default;
    /// Writes bytes at the end of the file.
    virtual AppendResult append(std::string_view bytes) = 0;
    /// Closes the file; empty, or the system's description of a failure the close reported.
    virtual std::string close() = 0;
};

/// File access of the engine.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    /// Opens path for appending (creating it), writes bytes, closes it. Never waits for a reader:
    /// a FIFO without one, or one that is full, fails at once.
    virtual AppendResult appendToFile(const std::string& path, std::string_view bytes) = 0;
    /// Opens path for appending (creating it) and keeps it open; nullptr with error set when it
    /// cannot be opened.
    virtual std::unique_ptr<AppendFile> openForAppend(const std::string& path, std::string& error) = 0;
    /// All bytes of a regular file, or nullopt when it cannot be read, is no regular file (a FIFO
    /// or a device) or holds more than maxBytes.
    virtual std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) = 0;
};

} // namespace quorvane
