#pragma once
// The font of every box and list that shows bytes in their display form.

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace quorvane {

/// `font` with Unifont next for the characters it lacks: Unifont draws each control sign as its
/// name written across the character cell (CR, LF, STX), readable at a box's size, where the other
/// fonts that carry the signs write it in tiny letters on a diagonal.
inline QFont WithByteSigns(QFont font) {
    // The family as resolved: an alias such as "Monospace" is no family of its own to put first.
    font.setFamilies({QFontInfo(font).family(), QStringLiteral("Unifont")});
    return font;
}

/// The fixed font of the character entry boxes, the character lists and the analyzer.
inline QFont ByteFont() {
    return WithByteSigns(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

} // namespace quorvane
