#include "setup/ports/DDEParms.h"

#include "config/CodePage.h"
#include "config/TargetRules.h"
#include "setup/records/DialogSupport.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace quorvane {

namespace {

QString shown(const std::string& bytes) {
    return QString::fromStdString(BytesToUtf8(bytes));
}

std::string typed(const QLineEdit* box) {
    return Utf8ToBytes(box->text().toStdString());
}

} // namespace

DDEParms::DDEParms(Configuration& config, QWidget* parent)
    : QDialog(parent), m_config(config), m_app(new QLineEdit(this)), m_topic(new QLineEdit(this)),
      m_command(new QLineEdit(this)) {
    setObjectName(QStringLiteral("DDEParms"));
    setWindowTitle(QStringLiteral("Target Application DDE Command"));
    m_app->setObjectName(QStringLiteral("DDEApp"));
    m_topic->setObjectName(QStringLiteral("DDETop"));
    m_command->setObjectName(QStringLiteral("DDEItm"));
    auto* label4 = new QLabel(
        QStringLiteral(
            "In \"DDE mode\", Quorvane passes incoming serial data to another program using Dynamic "
            "Data Exchange. In this mode, Quorvane can be configured to issue a DDE command to the "
            "other program after each data record is received through the serial port."),
        this);
    auto* label5 = new QLabel(QStringLiteral("The \"DDE Application Name\" and \"DDE Topic\" specify the "
                                             "application that is to receive the DDE command. The \"DDE "
                                             "Command\" is the actual command that you would like issued."),
                              this);
    label4->setObjectName(QStringLiteral("Label4"));
    label5->setObjectName(QStringLiteral("Label5"));
    for (QLabel* label : {label4, label5})
        label->setWordWrap(true);
    auto* ok = namedButton("DDEOkButton", QStringLiteral("&OK"), this);
    auto* cancel = namedButton("DDECancelButton", QStringLiteral("&Cancel"), this);
    ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label4, 0, 0);
    layout->addWidget(boxLabel(QStringLiteral("DDE Application Name:"), m_app, this), 1, 0);
    layout->addWidget(m_app, 2, 0);
    layout->addWidget(boxLabel(QStringLiteral("DDE Topic:"), m_topic, this), 3, 0);
    layout->addWidget(m_topic, 4, 0);
    layout->addWidget(boxLabel(QStringLiteral("DDE Command:"), m_command, this), 5, 0);
    layout->addWidget(m_command, 6, 0);
    layout->addWidget(label5, 7, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 8, 0);
    // Wrapped labels take the width they are given; this keeps them to a readable number of lines.
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);

    connect(ok, &QPushButton::clicked, this, &DDEParms::accept);
    connect(cancel, &QPushButton::clicked, this, &DDEParms::reject);
}

void DDEParms::load() {
    const DdeCommandForm form = LoadDdeCommand(m_config);
    m_app->setText(shown(form.App));
    m_topic->setText(shown(form.Topic));
    m_command->setText(shown(form.Command));
}

void DDEParms::accept() {
    StoreDdeCommand(m_config, {typed(m_app), typed(m_topic), typed(m_command)});
    QDialog::accept();
}

} // namespace quorvane
