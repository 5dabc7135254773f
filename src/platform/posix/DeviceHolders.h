#pragma once
// Which other process has a device open, found the way fuser does: through /proc/<pid>/fd.

#include <optional>
#include <string>
#include <sys/types.h>

namespace quorvane {

/// A process other than this one with the character device `device` (a st_rdev) open; nullopt when none
/// is visible. Another user's descriptors are visible to root only.
std::optional<pid_t> FindProcessHolding(dev_t device);

/// "process 1234 (cat)", the name from /proc/<pid>/comm; "process 1234" when that cannot be read.
std::string DescribeProcess(pid_t pid);

} // namespace quorvane
