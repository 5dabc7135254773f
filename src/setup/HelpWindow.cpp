#include "setup/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace quorvane {

namespace {

int ownTopic(const QObject* object) {
    const QVariant topic = object->property(kHelpTopicProperty);
    return topic.isValid() ? topic.toInt() : 0;
}

} // namespace

QString HelpPagePath(int topic) {
    return QStringLiteral(":/help/%1.md").arg(topic);
}

int HelpTopicOf(const QObject* object) {
    for (; object != nullptr; object = object->parent())
        if (const int topic = ownTopic(object))
            return topic;
    return 0;
}

int ActiveHelpTopic(const QObject* receiver) {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        if (QAction* item = menu->activeAction(); item && ownTopic(item))
            return ownTopic(item);
        if (const int topic = ownTopic(menu))
            return topic;
    }
    for (const QObject* object : {receiver, static_cast<const QObject*>(QApplication::focusWidget()),
                                  static_cast<const QObject*>(QApplication::activeWindow())})
        if (const int topic = HelpTopicOf(object))
            return topic;
    return kSetupHelpTopic;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quorvane Help"));
    m_text = new QTextBrowser;
    m_text->setObjectName(QStringLiteral("HelpText"));
    m_text->setOpenLinks(true);
    m_text->setOpenExternalLinks(true);
    auto* back = new QPushButton(QStringLiteral("&Back"));
    auto* forward = new QPushButton(QStringLiteral("&Forward"));
    auto* contents = new QPushButton(QStringLiteral("&Contents"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_text, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_text, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(kSetupHelpTopic); });
    connect(m_text, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_text, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_text, 1);
    resize(640, 520);
}

void HelpWindow::showTopic(int topic) {
    if (!QFile::exists(HelpPagePath(topic)))
        topic = kSetupHelpTopic;
    m_text->setSource(QUrl(QStringLiteral("qrc") + HelpPagePath(topic)), QTextDocument::MarkdownResource);
    // Asked for from a modal dialog, the window stands in front of it and takes input: a modal window
    // blocks every window but its own transient children.
    QWidget* modal = QApplication::activeModalWidget();
    winId();
    if (QWindow* window = windowHandle())
        window->setTransientParent(modal != nullptr && modal != this ? modal->windowHandle() : nullptr);
    show();
    raise();
    activateWindow();
}

int HelpWindow::topic() const {
    // The page's file name is its topic number.
    return m_text->source().fileName().section(QLatin1Char('.'), 0, 0).toInt();
}

void HelpWindow::watchF1Key() {
    qApp->installEventFilter(this);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        watched->isWidgetType()) {
        showTopic(ActiveHelpTopic(watched));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvane
