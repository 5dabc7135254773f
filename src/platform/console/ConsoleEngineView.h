#pragma once
// The runtime window of a run without windows: each record becomes a line on standard output.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/LineOutlet.h"
#include "platform/EngineView.h"
#include "platform/SoundBeep.h"

namespace quorvane {

/// Prints "#<record number>  field 1 | field 2 | ..." (C escapes for control bytes) for every record
/// delivered, unless quiet or standard output is the null device, and caption changes
/// ("Quorvane - COM1 (S)") on standard error. Record lines never hold up capture: those the reader
/// is not ready for are dropped, and how many is noted on standard error once lines get through
/// again. Everything else of the window (layout, buttons, tray icon) has nothing to show here.
class ConsoleEngineView final : public EngineView, public SoundBeep {
public:
    explicit ConsoleEngineView(int records = 1, std::FILE* status = stderr, bool quiet = false)
        : m_records(records), m_status(status), m_quiet(quiet || m_records.discards()) {}
    ~ConsoleEngineView() override { writeHeldLines(); }
    ConsoleEngineView(const ConsoleEngineView&) = delete;
    ConsoleEngineView& operator=(const ConsoleEngineView&) = delete;

    void setCaption(std::string_view caption) override;
    void setWindowPosition(WindowPosition position) override { m_position = position; }
    WindowPosition windowPosition() const override { return m_position; }
    void setWindowHeight(int) override {}
    void setMinimized(bool) override {}
    bool isMinimized() const override { return false; }
    void setAlwaysOnTop(bool) override {}

    void clearFieldBoxes() override { m_fields.clear(); }
    void addFieldBox(int field, std::string_view, int, int) override { setFieldText(field, {}); }
    void setFieldText(int field, std::string_view text) override;
    void setRecordNumber(std::string_view text) override;
    void setDateTimeText(std::string_view) override {}
    void setDateTimeVisible(bool) override {}

    void setMenuCaption(EngineMenu, std::string_view) override {}
    void setMenuVisible(EngineMenu, bool) override {}
    void setStringButton(int, std::string_view, bool, int) override {}
    void setSignalButtons(bool, bool) override {}

    void addTrayIcon(std::string_view) override {}
    void removeTrayIcon() override {}
    void closeWindow() override { m_closeRequested = true; }

    /// The record beep: a terminal bell when standard error is a terminal.
    void messageBeep(std::uint32_t soundNumber) override;

    /// True once the engine asked for the window to close.
    bool closeRequested() const { return m_closeRequested; }
    /// Writes out the record lines held since the last call and pushes the status lines out to
    /// their stream. The host calls it after every step of the engine.
    void flush();
    /// The end of the run: says how many record lines standard output never took since lines last
    /// got through, as no later line will.
    void reportUnshownLines();

private:
    void writeHeldLines();

    LineOutlet m_records;
    // Record lines wait here until the end of the engine's step, so a read of many records costs
    // one write to standard output rather than one per record.
    std::string m_held;
    std::uint64_t m_heldLines = 0;
    std::FILE* m_status;
    bool m_quiet;
    WindowPosition m_position{1000, 1000};
    // Indexed by field number; a field that has had neither a box nor a text has no value.
    std::vector<std::optional<std::string>> m_fields;
    std::string m_lastCaption;
    bool m_closeRequested = false;
    bool m_goneReported = false;
};

} // namespace quorvane
