#pragma once
// The runtime window as the engine sees it: the controls it fills, shows and hides.

#include <string_view>

namespace quorvane {

/// Menu entries of the runtime window whose caption or visibility the engine changes.
enum class EngineMenu { SuspendMenu, Resume1, TOutCtrl };

/// A window position in twips.
struct WindowPosition {
    double Left = 0;
    double Top = 0;
    bool operator==(const WindowPosition&) const = default;
};

/// The runtime window ("Hoxel"), driven by the engine. Texts are byte strings in the program's
/// code page; the implementation converts them for display. Positions and sizes are in twips.
class EngineView {
public:
    virtual ~EngineView() = default;

    /// Sets the window caption.
    virtual void setCaption(std::string_view caption) = 0;
    /// Moves the window's top-left corner.
    virtual void setWindowPosition(WindowPosition position) = 0;
    /// The window's top-left corner.
    virtual WindowPosition windowPosition() const = 0;
    /// Sets the height of the whole window.
    virtual void setWindowHeight(int twips) = 0;
    /// Minimizes (true) or restores (false) the window.
    virtual void setMinimized(bool minimized) = 0;
    /// True while the window is minimized.
    virtual bool isMinimized() const = 0;
    /// Keeps the window above all others, or stops doing so.
    virtual void setAlwaysOnTop(bool onTop) = 0;

    /// Removes every field box (the load runs again when a configuration is reloaded).
    virtual void clearFieldBoxes() = 0;
    /// Creates the box of field n (1..40) with its DDE item tag, in column 0 or 1 at the given row.
    virtual void addFieldBox(int field, std::string_view tag, int column, int row) = 0;
    /// Replaces the whole text of the box of field n.
    virtual void setFieldText(int field, std::string_view text) = 0;
    /// Replaces the text of the record number box.
    virtual void setRecordNumber(std::string_view text) = 0;
    /// Replaces the text of the date/time box.
    virtual void setDateTimeText(std::string_view text) = 0;
    /// Shows or hides the date/time box and its label.
    virtual void setDateTimeVisible(bool visible) = 0;

    /// Sets the caption of a menu entry ("&" marks the access key).
    virtual void setMenuCaption(EngineMenu menu, std::string_view caption) = 0;
    /// Shows or hides a menu entry.
    virtual void setMenuVisible(EngineMenu menu, bool visible) = 0;
    /// Captions output string button i (1..20), shows or hides it, and places it in a row of the
    /// button column (rows count from 0; a hidden button takes no row and gets -1).
    virtual void setStringButton(int index, std::string_view caption, bool visible, int row) = 0;
    /// Shows or hides the "DTR~" and "Break" buttons; when both show, they share the space.
    virtual void setSignalButtons(bool dtrVisible, bool breakVisible) = 0;

    /// Adds the notification-area icon with its tip.
    virtual void addTrayIcon(std::string_view tip) = 0;
    /// Removes the notification-area icon.
    virtual void removeTrayIcon() = 0;
    /// Asks the window to close; closing it must call the engine's Form_Unload.
    virtual void closeWindow() = 0;
};

} // namespace quorvane
