#pragma once
// The pickers' results, read by the caller after the modal picker has closed.

#include <cstdint>
#include <string>

namespace quorvane {

/// Owned by the application-level PickerHost and handed to each picker.
struct PickerResults {
    /// The ASCII chart's choice; empty when cancelled.
    std::string AsciiText;
    /// Shared by the keystroke picker and the hot key picker; empty when cancelled.
    std::string KeyText;
    /// The hot key picker's key word: modifier flags times 256 plus the key code.
    std::int16_t HotKeyWord = 0;
};

} // namespace quorvane
