#include "setup/ports/AppSelect.h"

#include "config/CodePage.h"
#include "config/ConfigLimits.h"
#include "config/TargetRules.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/DigitBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace quorvane {

namespace {

QLabel* wrapped(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

// Path bytes cross to Qt as UTF-8; the title is code-page text like every other setting.
QString fromPath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace

AppSelect::AppSelect(Configuration& config, UserPrompts& prompts, FileDialogs& files, QWidget* parent)
    : QDialog(parent), m_config(config), m_files(files), m_appName(new QLineEdit(this)),
      m_appCmd(new QLineEdit(this)), m_delay(new DigitBox(this)) {
    setObjectName(QStringLiteral("AppSelect"));
    setWindowTitle(QStringLiteral("Send Keystrokes To:"));
    m_appName->setObjectName(QStringLiteral("AppName"));
    m_appCmd->setObjectName(QStringLiteral("AppCmd"));
    m_delay->setObjectName(QStringLiteral("InterCharDelay"));
    m_delay->onRefused = [&prompts] { prompts.beep(); };
    auto* browse = namedButton("Command1", QStringLiteral("Browse..."), this);
    auto* ok = namedButton("OkButton", QStringLiteral("&OK"), this);
    auto* cancel = namedButton("CancelButton", QStringLiteral("&Cancel"), this);
    ok->setDefault(true);

    auto* label4 =
        wrapped("Label4",
                QStringLiteral("In \"Send Keystrokes\" mode, Quorvane converts incoming serial data to "
                               "keystrokes and sends the keystrokes to another application program."),
                this);
    auto* label3 =
        wrapped("Label3",
                QStringLiteral(
                    "The \"Application Title Bar Text\" and \"Command Line\" allow you to specify the "
                    "application that is to receive all keystrokes from Quorvane. Leave both items blank to "
                    "have Quorvane send keystrokes to whatever window has the input focus when the serial "
                    "data is received."),
                this);
    auto* label6 = wrapped("Label6", {}, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label4, 0, 0, 1, 2);
    layout->addWidget(boxLabel(QStringLiteral("Application Title Bar Text:"), m_appName, this), 1, 0, 1, 2);
    layout->addWidget(m_appName, 2, 0, 1, 2);
    layout->addWidget(boxLabel(QStringLiteral("Command Line:"), m_appCmd, this), 3, 0, 1, 2);
    layout->addWidget(m_appCmd, 4, 0);
    layout->addWidget(browse, 4, 1);
    layout->addWidget(label3, 5, 0, 1, 2);
    layout->addWidget(boxLabel(QStringLiteral("Time Delay Between Keystrokes (ms):"), m_delay, this), 6, 0, 1,
                      2);
    layout->addWidget(m_delay, 7, 0);
    layout->addWidget(label6, 8, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 9, 0, 1, 2);
    // Wrapped labels take the width they are given; this keeps them to a readable number of lines.
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);

    connect(m_appName, &QLineEdit::editingFinished, this, [this] {
        m_appName->setText(
            QString::fromStdString(BytesToUtf8(TrimBlanks(Utf8ToBytes(m_appName->text().toStdString())))));
    });
    connect(browse, &QPushButton::clicked, this, &AppSelect::browse);
    connect(ok, &QPushButton::clicked, this, &AppSelect::accept);
    connect(cancel, &QPushButton::clicked, this, &AppSelect::reject);

    label6->setText(
        QStringLiteral("The Time Delay Between Keystrokes is the amount of time Quorvane will wait "
                       "between each keystroke sent to the target application program.\n"
                       "Set to 0 for the fastest possible data transfer.\n"
                       "Set to higher values for applications that have trouble receiving "
                       "keystrokes from Quorvane."));
}

void AppSelect::load() {
    const TargetApplicationForm form = LoadTargetApplication(m_config);
    m_appName->setText(QString::fromStdString(BytesToUtf8(form.Title)));
    m_appCmd->setText(fromPath(form.Command));
    m_delay->setText(QString::fromStdString(form.Delay));
}

void AppSelect::browse() {
    FileDialogRequest request;
    request.Title = "Browse";
    request.Filter = "Programs (*)|*";
    request.FileMustExist = true;
    request.ExecutablesOnly = true;
    const auto chosen = m_files.openFileName(request);
    if (chosen && !chosen->empty())
        m_appCmd->setText(fromPath(CommandLineForProgram(*chosen)));
}

void AppSelect::accept() {
    StoreTargetApplication(m_config, {Utf8ToBytes(m_appName->text().toStdString()),
                                      m_appCmd->text().toStdString(), m_delay->text().toStdString()});
    QDialog::accept();
}

} // namespace quorvane
