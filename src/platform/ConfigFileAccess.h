#pragma once
// Reading and saving whole configuration files: what the file commands, the start-up load and the
// reload command ask of the file system.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// What reading the start of a file found.
struct FileHead {
    enum class Status { Ok, CannotOpen, NotRegularFile };
    Status Outcome = Status::CannotOpen;
    /// The first bytes of the file, at most as many as were asked for.
    std::string Bytes;
    /// The size of the whole file in bytes.
    std::uint64_t Size = 0;
    /// Why the file could not be read, for diagnostics; empty when it was.
    std::string Error;

    bool ok() const { return Outcome == Status::Ok; }
};

/// Whole-file access for configuration files. Paths are the operating system's bytes.
class ConfigFileAccess {
public:
    virtual ~ConfigFileAccess() = default;
    /// Up to `maxBytes` bytes from the start of a regular file, and its size. Never waits: a FIFO, a
    /// device or a folder is refused as not a regular file.
    virtual FileHead readHead(const std::string& path, std::size_t maxBytes) = 0;
    /// Replaces the file at `path` with `bytes` so that it holds either its old contents or the new
    /// ones, never a part: a failed save leaves the previous file as it was. A link is followed and
    /// the file it names replaced (the link stays); a device, FIFO, socket or folder is refused and
    /// left alone. Empty on success, otherwise why the file was not saved.
    virtual std::string replaceFile(const std::string& path, std::string_view bytes) = 0;
};

} // namespace quorvane
