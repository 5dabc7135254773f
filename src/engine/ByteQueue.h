#pragma once
// A queue of bytes read from the front one at a time: the virtual device's input.

#include <string>
#include <string_view>

namespace quorvane {

/// Bytes appended at the back and taken from the front without moving the rest each time.
class ByteQueue {
public:
    /// Adds bytes at the back.
    void append(std::string_view bytes) { m_bytes.append(bytes); }
    /// Takes the front byte; false when the queue is empty.
    bool takeByte(unsigned char& byte) {
        if (m_front == m_bytes.size())
            return false;
        byte = static_cast<unsigned char>(m_bytes[m_front++]);
        if (m_front == m_bytes.size())
            clear();
        return true;
    }
    /// Empties the queue.
    void clear() {
        m_bytes.clear();
        m_front = 0;
    }
    /// True when nothing waits.
    bool empty() const { return m_front == m_bytes.size(); }
    /// The bytes still waiting, front first.
    std::string_view pending() const { return std::string_view(m_bytes).substr(m_front); }

private:
    std::string m_bytes;
    std::size_t m_front = 0;
};

} // namespace quorvane
