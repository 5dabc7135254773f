#pragma once
// The runtime window's item boxes as DDE items: a view that passes everything on to the real
// window and keeps the texts of the field, record number and date/time boxes for the server.

#include "platform/DdeBus.h"
#include "platform/EngineView.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// The item of the record number box.
inline constexpr std::string_view kRecordNumberItem = "RecordNumber";
/// The item of the date/time box.
inline constexpr std::string_view kDateTimeItem = "DateTime";

/// The DDE item name of field n: "Field(n)".
std::string FieldItemName(int field);

/// An EngineView that mirrors the item boxes into DDE items and advises the server of each change.
class DdeItemView final : public EngineView {
public:
    /// `window` gets every call; it must outlive this view.
    explicit DdeItemView(EngineView& window) : m_window(window) {}

    /// Where changes are advised; null advises nobody.
    void setServer(DdeServer* server) { m_server = server; }
    /// An item's text; names compare without regard to case, as DDE names do.
    std::optional<std::string> itemText(std::string_view item) const;
    /// Every item name: the fields with boxes, then RecordNumber and DateTime.
    std::vector<std::string> itemNames() const;
    /// The window behind this view.
    EngineView& window() { return m_window; }

    void setCaption(std::string_view caption) override { m_window.setCaption(caption); }
    void setWindowPosition(WindowPosition position) override { m_window.setWindowPosition(position); }
    WindowPosition windowPosition() const override { return m_window.windowPosition(); }
    void setWindowHeight(int twips) override { m_window.setWindowHeight(twips); }
    void setMinimized(bool minimized) override { m_window.setMinimized(minimized); }
    bool isMinimized() const override { return m_window.isMinimized(); }
    void setAlwaysOnTop(bool onTop) override { m_window.setAlwaysOnTop(onTop); }
    void clearFieldBoxes() override;
    void addFieldBox(int field, std::string_view tag, int column, int row) override;
    void setFieldText(int field, std::string_view text) override;
    void setRecordNumber(std::string_view text) override;
    void setDateTimeText(std::string_view text) override;
    void setDateTimeVisible(bool visible) override { m_window.setDateTimeVisible(visible); }
    void setMenuCaption(EngineMenu menu, std::string_view caption) override {
        m_window.setMenuCaption(menu, caption);
    }
    void setMenuVisible(EngineMenu menu, bool visible) override { m_window.setMenuVisible(menu, visible); }
    void setStringButton(int index, std::string_view caption, bool visible, int row) override {
        m_window.setStringButton(index, caption, visible, row);
    }
    void setSignalButtons(bool dtrVisible, bool breakVisible) override {
        m_window.setSignalButtons(dtrVisible, breakVisible);
    }
    void addTrayIcon(std::string_view tip) override { m_window.addTrayIcon(tip); }
    void removeTrayIcon() override { m_window.removeTrayIcon(); }
    void closeWindow() override { m_window.closeWindow(); }

private:
    static constexpr int kMaxFieldItems = 40;
    /// Stores `value`; true when it changed and a server is there to be told.
    bool update(std::string& text, std::string_view value);
    void change(std::string& text, std::string_view item, std::string_view value);
    void changeField(int field, std::string_view value);

    EngineView& m_window;
    DdeServer* m_server = nullptr;
    std::array<std::string, kMaxFieldItems + 1> m_fields;
    std::array<bool, kMaxFieldItems + 1> m_hasBox{};
    std::string m_recordNumber;
    std::string m_dateTime;
};

} // namespace quorvane
