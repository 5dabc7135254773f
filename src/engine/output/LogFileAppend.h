#pragma once
// Appends of the log outputs: the file opened once for a batch of records, or once per record.

#include "platform/FileAccess.h"

#include <memory>
#include <string>

namespace quorvane {

/// Appends record texts to one file. Between begin() and end() the file is opened by the first
/// append and stays open for the next ones; outside, each append opens and closes it. A failed
/// append closes the file, so whatever comes next (a question, a retry) finds it closed and a
/// retry opens it again.
class LogFileAppend {
public:
    LogFileAppend(FileAccess& files, const std::string& path) : m_files(files), m_path(path) {}

    /// Starts a batch.
    void begin() { m_batch = true; }
    /// Ends the batch and closes the file; empty, or the failure the close reported.
    std::string end();
    /// Closes the file if it is open; the next append in the batch opens it again.
    std::string close();
    /// Writes bytes at the end of the file.
    AppendResult append(std::string_view bytes);

private:
    FileAccess& m_files;
    const std::string& m_path;
    std::unique_ptr<AppendFile> m_open;
    bool m_batch = false;
};

} // namespace quorvane
