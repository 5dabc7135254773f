#pragma once
// Binary search over the indices of a sorted container, for the rings the windows keep.

#include <cstddef>

namespace quorvane {

/// The first index in [first, last) for which below(i) is false; below must hold for a prefix of the
/// range and for nothing after it. last when it holds for all.
template <class Below>
std::size_t PartitionIndex(std::size_t first, std::size_t last, Below below) {
    while (first < last) {
        const std::size_t middle = first + (last - first) / 2;
        if (below(middle))
            first = middle + 1;
        else
            last = middle;
    }
    return first;
}

} // namespace quorvane
