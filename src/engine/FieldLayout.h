#pragma once
// Where the runtime window puts its field boxes, and how tall it gets.

namespace quorvane {

/// Row pitch of field boxes and string buttons, in twips.
inline constexpr int kRowPitchTwips = 270;

/// The field display for a number of fields beside a number of shown string buttons.
struct FieldDisplayLayout {
    /// Fields in the first column; the rest form the second.
    int FirstColumnRows = 0;
    /// Height of the whole window, in twips.
    int WindowHeight = 0;
};

/// One column while the fields fit beside the buttons; otherwise the first column holds the larger
/// of half the fields (rounded up) and the button count.
FieldDisplayLayout LayOutFieldDisplay(int fieldCount, int shownButtons);

} // namespace quorvane
