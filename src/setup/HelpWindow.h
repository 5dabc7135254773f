#pragma once
// Help: the pages of docs/help/ (Markdown, one per help topic number, compiled in as resources), the
// help window that shows them, and F1, which shows the topic of the focused control or window.

#include <QWidget>

#include "setup/widgets/HelpTopic.h"

#include <array>

class QTextBrowser;

namespace quorvane {

/// Every help topic number the program uses; each has a page.
inline constexpr std::array kHelpTopics{10,  20,  40,  50,  60,  70,  90,  100, 130, 140, 150,
                                        300, 310, 320, 360, 370, 380, 390, 420, 440, 450};
/// The topic of the setup window itself, which is also the index of every page.
inline constexpr int kSetupHelpTopic = 10;

/// The resource path of a topic's page (":/help/40.md").
QString HelpPagePath(int topic);
/// The topic of an object: its own, else its parent's, up to the window; 0 when none has one.
int HelpTopicOf(const QObject* object);
/// The topic F1 asks for now: the highlighted item of an open menu, else the control the key went
/// to (the focused one when null), else the active window; the index when none has one.
int ActiveHelpTopic(const QObject* receiver = nullptr);

/// The help window: one page at a time, links between pages followed, Back and Forward.
class HelpWindow final : public QWidget {
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    /// Shows the page of a topic, or the index for a topic without a page, and raises the window.
    void showTopic(int topic);
    /// The topic of the page shown; 0 before any.
    int topic() const;
    /// Makes F1 anywhere in the application show the active topic here.
    void watchF1Key();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBrowser* m_text = nullptr;
};

} // namespace quorvane
