#pragma once
// Records what the engine shows in the runtime window.

#include "platform/EngineView.h"

#include <map>
#include <string>
#include <vector>

namespace quorvane::test {

class FakeEngineView final : public EngineView {
public:
    struct FieldBox {
        std::string Tag;
        int Column = 0;
        int Row = 0;
        std::string Text;
    };
    struct StringButton {
        std::string Caption;
        bool Visible = false;
        int Row = -1;
    };

    void setCaption(std::string_view caption) override { Caption = caption; }
    void setWindowPosition(WindowPosition position) override {
        Position = position;
        ++Moves;
    }
    WindowPosition windowPosition() const override { return Position; }
    void setWindowHeight(int twips) override { Height = twips; }
    void setMinimized(bool minimized) override {
        Minimized = minimized;
        MinimizeCalls.push_back(minimized);
    }
    bool isMinimized() const override { return Minimized; }
    void setAlwaysOnTop(bool onTop) override { AlwaysOnTop = onTop; }

    void clearFieldBoxes() override { Fields.clear(); }
    void addFieldBox(int field, std::string_view tag, int column, int row) override {
        Fields[field] = {std::string(tag), column, row, {}};
    }
    void setFieldText(int field, std::string_view text) override {
        Fields[field].Text = text;
        ++FieldWrites;
    }
    void setRecordNumber(std::string_view text) override { RecordNumber = text; }
    void setDateTimeText(std::string_view text) override { DateTimeTexts.emplace_back(text); }
    void setDateTimeVisible(bool visible) override { DateTimeVisible = visible; }

    void setMenuCaption(EngineMenu menu, std::string_view caption) override { MenuCaptions[menu] = caption; }
    void setMenuVisible(EngineMenu menu, bool visible) override { MenuVisible[menu] = visible; }
    void setStringButton(int index, std::string_view caption, bool visible, int row) override {
        Buttons[index] = {std::string(caption), visible, row};
    }
    void setSignalButtons(bool dtrVisible, bool breakVisible) override {
        DtrButtonVisible = dtrVisible;
        BreakButtonVisible = breakVisible;
    }

    void addTrayIcon(std::string_view tip) override {
        TrayIcon = true;
        TrayTip = tip;
    }
    void removeTrayIcon() override { TrayIcon = false; }
    void closeWindow() override { ++CloseRequests; }

    /// Text of field box n, empty when it was never written.
    std::string field(int n) const {
        const auto it = Fields.find(n);
        return it == Fields.end() ? std::string() : it->second.Text;
    }

    std::string Caption;
    WindowPosition Position{0, 0};
    int Moves = 0;
    int Height = 0;
    bool Minimized = false;
    std::vector<bool> MinimizeCalls;
    bool AlwaysOnTop = false;
    std::map<int, FieldBox> Fields;
    int FieldWrites = 0;
    std::string RecordNumber;
    std::vector<std::string> DateTimeTexts;
    bool DateTimeVisible = true;
    std::map<EngineMenu, std::string> MenuCaptions;
    std::map<EngineMenu, bool> MenuVisible;
    std::map<int, StringButton> Buttons;
    bool DtrButtonVisible = false;
    bool BreakButtonVisible = false;
    bool TrayIcon = false;
    std::string TrayTip;
    int CloseRequests = 0;
};

} // namespace quorvane::test
