#pragma once
// The runtime window "Hoxel": the controls the engine fills, its menus and buttons, the tray icon,
// and the scheduler that runs the engine. Every decision is the engine's; this class lays out,
// shows and forwards.

#include "platform/EngineView.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace quorvane {

class DdeBridge;
class Engine;
class ItemBox;
class MouseButton;
class SerialOutput;
class TickScheduler;

/// What the window's controls act on; every reference must outlive the window.
struct HoxelTargets {
    Engine& Hoxel;
    SerialOutput& Output;
    DdeBridge& Bridge;
};

/// What the about box tells beside the program's name and version.
struct AboutInfo {
    std::string ConfigFile;
    std::string DevicePath;
    /// The log file's full path while records go to a log file; empty otherwise.
    std::string LogFile;
};

/// The runtime window. Object names are the controls' names (`Field_3`, `StringButton_12`,
/// `RecordNumber`, `EditCopy`, `TOutCtrl` ...). Sizes follow the row rules in twips, converted at the
/// screen's logical DPI and enlarged when the user's font needs taller rows.
class Hoxel final : public QMainWindow, public EngineView {
    Q_OBJECT
public:
    explicit Hoxel(QWidget* parent = nullptr);
    ~Hoxel() override;

    /// Connects the menus and buttons; call before the engine's Form_Load.
    void connectEngine(HoxelTargets targets);
    /// What the about box shows, asked each time it opens (a reload may change the log file).
    void setAboutInfo(std::function<AboutInfo()> source) { m_about = std::move(source); }
    /// Shows the window after Form_Load: minimized (or in the tray only) when the load asked for it.
    void present();
    /// Starts running the engine: Timer1 ticks while the engine has tick work, and bytes arriving
    /// at the port (`portDescriptor`, -1 while none) are read between ticks.
    void startTimer1(std::function<int()> portDescriptor = {});
    /// One tick: never while another engine step runs (a message box in a step runs a nested event
    /// loop); after every step the boxes show the latest texts and a close asked for meanwhile is
    /// carried out.
    void runTick();
    /// While records keep coming, the boxes take new texts at most once per `ms` (the first after a
    /// quieter spell at once, the last one always); 0 shows them after every step.
    void setTextIntervalMs(int ms) { m_textIntervalMs = ms; }
    /// Pixels for a size in twips.
    int twipsToPixels(int twips) const;
    /// Shows the about box.
    void showAbout();
    /// The tray's "Open Quorvane": restores a minimized or hidden window and activates it.
    void openFromTray();

    void setCaption(std::string_view caption) override;
    void setWindowPosition(WindowPosition position) override;
    WindowPosition windowPosition() const override;
    void setWindowHeight(int twips) override;
    void setMinimized(bool minimized) override;
    bool isMinimized() const override;
    void setAlwaysOnTop(bool onTop) override;
    void clearFieldBoxes() override;
    void addFieldBox(int field, std::string_view tag, int column, int row) override;
    void setFieldText(int field, std::string_view text) override;
    void setRecordNumber(std::string_view text) override;
    void setDateTimeText(std::string_view text) override;
    void setDateTimeVisible(bool visible) override;
    void setMenuCaption(EngineMenu menu, std::string_view caption) override;
    void setMenuVisible(EngineMenu menu, bool visible) override;
    void setStringButton(int index, std::string_view caption, bool visible, int row) override;
    void setSignalButtons(bool dtrVisible, bool breakVisible) override;
    void addTrayIcon(std::string_view tip) override;
    void removeTrayIcon() override;
    void closeWindow() override;

signals:
    /// The engine was shut down and the window closed.
    void unloaded();
    /// The View menu's (or the tray menu's) History entry was chosen.
    void historyRequested();
    /// The View menu's (or the tray menu's) Plot entry was chosen.
    void plotRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct FieldRow {
        QLabel* Number = nullptr;
        ItemBox* Box = nullptr;
        int Column = 0;
        int Row = 0;
    };
    static constexpr int kStringButtons = 20;

    void buildMenus();
    void buildViewMenus();
    void buildControls();
    QAction* action(QMenu* menu, const char* name, const char* caption);
    QAction* engineAction(EngineMenu menu) const;
    void layOut();
    void showTexts();
    void scheduleTexts();
    qint64 msUntilTexts() const;
    void afterEngineStep();
    void editCopy();
    void popUpEditMenu(QPoint where);
    void updateEditMenu();
    void focusMoved(QWidget* now);
    QPoint twipsToScreen(WindowPosition position) const;

    std::optional<HoxelTargets> m_targets;
    std::function<AboutInfo()> m_about;

    QMenu* m_editMenu = nullptr;
    QAction* m_editCopy = nullptr;
    std::array<QAction*, 6> m_linkActions{};
    QMenu* m_quitMenu = nullptr;
    QAction* m_suspend = nullptr;
    QAction* m_resume1 = nullptr;
    QAction* m_reset = nullptr;
    QAction* m_timedOutput = nullptr;
    QMenu* m_popup = nullptr;
    QSystemTrayIcon* m_tray = nullptr;

    QWidget* m_area = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_recordLabel = nullptr;
    ItemBox* m_recordNumber = nullptr;
    QLabel* m_dateTimeLabel = nullptr;
    ItemBox* m_dateTime = nullptr;
    QLabel* m_outputBuffer = nullptr;
    QLabel* m_commandBuffer = nullptr;
    std::map<int, FieldRow> m_fields;
    std::array<MouseButton*, kStringButtons + 1> m_stringButtons{};
    std::array<int, kStringButtons + 1> m_stringRows{};
    MouseButton* m_dtrButton = nullptr;
    MouseButton* m_breakButton = nullptr;
    TickScheduler* m_scheduler = nullptr;
    QMetaObject::Connection m_focusWatch;

    // Box texts wait here, as bytes, until the step ends and a screen frame has passed since the
    // boxes last changed: a stream of records converts and repaints only the newest at each frame.
    static constexpr int kMaxFieldBoxes = 40;
    std::array<std::string, kMaxFieldBoxes + 1> m_pendingFields;
    std::array<bool, kMaxFieldBoxes + 1> m_fieldChanged{};
    bool m_anyFieldChanged = false;
    std::string m_pendingRecordNumber;
    bool m_recordNumberChanged = false;
    bool m_textsScheduled = false;
    QTimer* m_texts = nullptr;
    QElapsedTimer m_sinceTexts;
    int m_textIntervalMs = 33;

    double m_pixelsPerTwip = 1.0 / 15;
    int m_heightTwips = 0;
    bool m_dateTimeShown = true;
    bool m_presented = false;
    bool m_minimized = false;
    WindowPosition m_position{1000, 1000};
    bool m_closePending = false;
};

} // namespace quorvane
