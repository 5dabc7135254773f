#pragma once
// FileAccess on POSIX file descriptors.

#include "platform/FileAccess.h"

#include <sys/types.h>

namespace quorvane {

/// Appends with open(O_APPEND|O_CREAT), a write loop and close, once per call or around the
/// appends of an AppendFile; reads with read().
class PosixFileAccess final : public FileAccess {
public:
    /// The write(2) the appends use; tests pass one that fails, writes short or is interrupted.
    using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);

    explicit PosixFileAccess(WriteFunction write = nullptr);

    AppendResult appendToFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path, std::string& error) override;
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override;

private:
    WriteFunction m_write;
};

} // namespace quorvane
