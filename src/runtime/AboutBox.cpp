#include "runtime/AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace quorvane {

QString AboutText(const AboutInfo& info) {
    const auto orNone = [](const std::string& text) {
        return text.empty() ? QStringLiteral("(none)") : QString::fromStdString(text).toHtmlEscaped();
    };
    return QStringLiteral("<h3>Quorvane %1</h3>"
                          "<p>%2: captures data from serial instruments and delivers it as keystrokes, "
                          "over the message bus or to a log file.</p>"
                          "<p>%3</p>"
                          "<p>Configuration file: %4<br>Device: %5%6</p>")
        .arg(QStringLiteral(QUORVANE_VERSION), QStringLiteral(QUORVANE_DESCRIPTION),
             QStringLiteral(QUORVANE_LICENCE), orNone(info.ConfigFile), orNone(info.DevicePath),
             info.LogFile.empty() ? QString() : QStringLiteral("<br>Log file: ") + orNone(info.LogFile));
}

void ShowAboutBox(QWidget* parent, const AboutInfo& info) {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("About Quorvane"), AboutText(info),
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("About"));
    box->setTextFormat(Qt::RichText);
    box->setIconPixmap(parent ? parent->windowIcon().pixmap(48, 48) : QPixmap());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QWidget* ShowSplash(const AboutInfo& info) {
    auto* splash = new QLabel(AboutText(info), nullptr, Qt::SplashScreen);
    splash->setObjectName(QStringLiteral("Splash"));
    splash->setTextFormat(Qt::RichText);
    splash->setMargin(24);
    splash->setFrameStyle(QFrame::Box);
    splash->show();
    // Painted now: the start-up that follows does not return to the event loop.
    QApplication::processEvents();
    return splash;
}

} // namespace quorvane
