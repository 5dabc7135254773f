#pragma once
// A file that one process at a time holds, naming its holder: the kernel's lock on an open file
// (flock), so it goes with the holder when that dies, and the holder's pid inside for whoever is
// refused.

#include <string>

namespace quorvane {

/// An exclusive lock of a file, held from acquire() until release() or the end of the object.
class PidFileLock {
public:
    /// Locks `path`, created when missing.
    explicit PidFileLock(std::string path);
    ~PidFileLock();
    PidFileLock(const PidFileLock&) = delete;
    PidFileLock& operator=(const PidFileLock&) = delete;

    /// Takes the lock without waiting. False with `problem` set when another open of the file (in this
    /// process or another) holds it, "in use by process 1234 (quorvane)", or the file cannot be used.
    bool acquire(std::string& problem);
    /// Lets the lock go; the file stays, as removing it would let two processes lock two files.
    void release();
    bool held() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace quorvane
