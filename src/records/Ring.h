#pragma once
// A bounded ring of values: the newest push over a full ring replaces the oldest.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

/// Values in arrival order, at most `capacity` of them; index 0 is the oldest kept.
template <typename T>
class Ring {
public:
    explicit Ring(std::size_t capacity = 1) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

    /// Appends a value, dropping the oldest when full.
    void push(T value) {
        ++m_pushed;
        if (m_items.size() < m_capacity) {
            m_items.push_back(std::move(value));
            return;
        }
        m_items[m_head] = std::move(value);
        m_head = (m_head + 1) % m_capacity;
    }
    /// The i-th oldest kept value, 0 <= i < size().
    const T& operator[](std::size_t i) const { return m_items[(m_head + i) % m_items.size()]; }
    /// Calls `visit` on values [first, last) in order, without an index computation per value.
    template <typename Visit>
    void forEach(std::size_t first, std::size_t last, Visit&& visit) const {
        last = std::min(last, m_items.size());
        if (first >= last)
            return;
        const std::size_t start = (m_head + first) % m_items.size();
        const std::size_t count = last - first;
        const std::size_t straight = std::min(count, m_items.size() - start);
        for (std::size_t i = 0; i < straight; ++i)
            visit(m_items[start + i]);
        for (std::size_t i = 0; i < count - straight; ++i)
            visit(m_items[i]);
    }
    const T& back() const { return (*this)[m_items.size() - 1]; }
    T& back() { return m_items[(m_head + m_items.size() - 1) % m_items.size()]; }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    std::size_t capacity() const { return m_capacity; }
    /// Values pushed since construction or clear(), kept or not: the index of the next push.
    std::uint64_t pushed() const { return m_pushed; }
    /// The pushed() index of the oldest kept value.
    std::uint64_t firstIndex() const { return m_pushed - m_items.size(); }

    /// Changes the bound; the newest values stay.
    void setCapacity(std::size_t capacity) {
        capacity = std::max<std::size_t>(capacity, 1);
        if (capacity == m_capacity)
            return;
        std::vector<T> kept;
        const std::size_t keep = std::min(capacity, m_items.size());
        kept.reserve(keep);
        for (std::size_t i = m_items.size() - keep; i < m_items.size(); ++i)
            kept.push_back(std::move(m_items[(m_head + i) % m_items.size()]));
        m_items = std::move(kept);
        m_head = 0;
        m_capacity = capacity;
    }
    void clear() {
        m_items.clear();
        m_head = 0;
        m_pushed = 0;
    }

private:
    std::vector<T> m_items;
    std::size_t m_capacity;
    std::size_t m_head = 0; // position of the oldest value once the ring is full
    std::uint64_t m_pushed = 0;
};

} // namespace quorvane
