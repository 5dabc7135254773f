#pragma once
// ConfigFileAccess on POSIX: non-blocking opens, and saves through a temporary file and rename(2).

#include <sys/types.h>

#include "platform/ConfigFileAccess.h"

namespace quorvane {

/// Reads regular files only, opened with O_NONBLOCK so that a FIFO never blocks the open. Saves
/// write "<folder>/.<name>.<pid>.<n>.tmp", fsync it, give it the old file's permissions and
/// rename it over the old file; a symbolic link is followed, so the file it names is replaced.
class PosixConfigFileAccess final : public ConfigFileAccess {
public:
    /// The write(2) and fsync(2) the saves use; tests pass ones that fail.
    using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);
    using SyncFunction = int (*)(int fd);

    explicit PosixConfigFileAccess(WriteFunction write = nullptr, SyncFunction sync = nullptr);

    FileHead readHead(const std::string& path, std::size_t maxBytes) override;
    std::string replaceFile(const std::string& path, std::string_view bytes) override;

private:
    WriteFunction m_write;
    SyncFunction m_sync;
    unsigned m_saves = 0;
};

} // namespace quorvane
