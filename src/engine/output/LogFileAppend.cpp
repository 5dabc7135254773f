#include "engine/output/LogFileAppend.h"

namespace quorvane {

std::string LogFileAppend::end() {
    m_batch = false;
    return close();
}

std::string LogFileAppend::close() {
    if (!m_open)
        return {};
    std::string error = m_open->close();
    m_open.reset();
    return error;
}

AppendResult LogFileAppend::append(std::string_view bytes) {
    if (!m_batch)
        return m_files.appendToFile(m_path, bytes);
    if (!m_open) {
        AppendResult failed;
        m_open = m_files.openForAppend(m_path, failed.Error);
        if (!m_open)
            return failed;
    }
    AppendResult result = m_open->append(bytes);
    if (!result.ok())
        close();
    return result;
}

} // namespace quorvane
