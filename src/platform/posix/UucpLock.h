#pragma once
// The UUCP lock file that Linux serial programs (minicom, picocom, screen, ModemManager) use to share a
// device: LCK..<name> in the lock folder, holding the owner's pid as ten ASCII digits and a newline.

#include <string>
#include <sys/types.h>

namespace quorvane {

/// Where Linux serial programs keep their lock files.
inline constexpr const char* kUucpLockDirectory = "/run/lock";

/// The lock of at most one device at a time.
class UucpLock {
public:
    /// Outcome of acquire.
    struct Result {
        /// False when another live process holds the lock.
        bool Acquired = false;
        /// The holder's pid when not acquired; 0 when its lock file names no pid.
        pid_t Holder = 0;
    };

    /// Keeps its lock files in `directory`.
    explicit UucpLock(std::string directory);
    /// Releases the lock.
    ~UucpLock();
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    /// Takes the lock of `devicePath` (a path without symbolic links), removing a stale one left by a
    /// dead process first.
    Result acquire(const std::string& devicePath);
    /// Removes the lock file this object created; harmless when it holds none.
    void release();
    /// The lock file of `devicePath`.
    std::string lockPathFor(const std::string& devicePath) const;

private:
    std::string m_directory;
    std::string m_held;
};

/// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
std::string UucpLockName(const std::string& devicePath);

} // namespace quorvane
