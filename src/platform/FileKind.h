#pragma once
// Words for the kind of a file that is not a regular file, for messages that refuse to use it.

#include <sys/stat.h>

namespace quorvane {

/// "a directory", "a character device", "a FIFO" ... for a mode from stat(2).
inline const char* FileKindName(mode_t mode) {
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

} // namespace quorvane
