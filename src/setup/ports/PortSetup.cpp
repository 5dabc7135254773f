#include "setup/ports/PortSetup.h"

#include "config/ConfigLimits.h"
#include "config/PortRules.h"
#include "platform/posix/TerminalDevice.h"
#include "setup/records/DialogSupport.h"
#include "setup/widgets/DigitBox.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvane {

/// A buffer size box: a digit box that remembers its text as it was before each key, accepted or not.
class BufferSizeBox final : public DigitBox {
public:
    using DigitBox::DigitBox;
    QString Before;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        Before = text();
        DigitBox::keyPressEvent(event);
    }
};

namespace {

QString fromPath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

// A frame of option buttons named <name>_<index>, in `columns` columns.
QGroupBox* optionFrame(const QString& title, const char* name, const QStringList& captions,
                       QButtonGroup*& group, QWidget* parent, int columns = 1) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name) + QStringLiteral("Frame"));
    group = new QButtonGroup(frame);
    auto* layout = new QGridLayout(frame);
    const int rows = static_cast<int>((captions.size() + columns - 1) / columns);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
        group->addButton(option, i);
        layout->addWidget(option, i % rows, i / rows);
    }
    return frame;
}

void select(QButtonGroup* group, int index) {
    if (QAbstractButton* option = group->button(index)) {
        option->setChecked(true);
        return;
    }
    // An index outside the frame (read from a file) shows no option chosen.
    group->setExclusive(false);
    for (QAbstractButton* option : group->buttons())
        option->setChecked(false);
    group->setExclusive(true);
}

QString usbText(const std::string& name, const std::string& id) {
    if (id.empty())
        return fromPath(name);
    return name.empty() ? fromPath(id) : fromPath(name + " (" + id + ")");
}

} // namespace

PortSetup::PortSetup(Configuration& config, UserPrompts& prompts, PortBindings& bindings,
                     SerialDeviceLister devices, QWidget* parent)
    : QDialog(parent), m_config(config), m_prompts(prompts), m_bindings(bindings),
      m_lister(std::move(devices)), m_check(TerminalDeviceProblem), m_ports(new QTreeWidget(this)),
      m_deviceList(new QTreeWidget(this)),
      m_bind(namedButton("BindDevice", QStringLiteral("B&ind Port to Device"), this)),
      m_path(new QLineEdit(this)), m_browse(namedButton("BrowseDevice", QStringLiteral("Bro&wse..."), this)),
      m_bindPath(namedButton("BindPath", QStringLiteral("Bind P&ort to Path"), this)),
      m_unbind(namedButton("UnbindPort", QStringLiteral("&Unbind Port"), this)), m_session(new QLabel(this)),
      m_input(new BufferSizeBox(this)), m_output(new BufferSizeBox(this)) {
    setObjectName(QStringLiteral("PortSetup"));
    setWindowTitle(QStringLiteral("Quorvane Serial Port Settings"));

    m_ports->setObjectName(QStringLiteral("PortList"));
    m_ports->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device")});
    m_ports->setRootIsDecorated(false);
    m_ports->setUniformRowHeights(true);
    for (int n = 0; n < kPortCount; ++n)
        new QTreeWidgetItem(m_ports, {QString::fromStdString(PortName(static_cast<std::int16_t>(n)))});
    m_ports->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto* connector = new QLabel(QStringLiteral("Co&nnector"), this);
    connector->setBuddy(m_ports);

    QGroupBox* baud = optionFrame(QStringLiteral("&Baud  Rate"), "Baud",
                                  {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                                   "38400", "57600", "115200", "128000", "256000"},
                                  m_baud, this, 2);
    QGroupBox* parity = optionFrame(QStringLiteral("&Parity"), "Parity",
                                    {"None", "Odd", "Even", "Mark", "Space"}, m_parity, this);
    QGroupBox* dataBits = optionFrame(QStringLiteral("&Data Bits"), "Databits",
                                      {"Five", "Six", "Seven", "Eight"}, m_dataBits, this);
    QGroupBox* stopBits =
        optionFrame(QStringLiteral("&Stop Bits"), "StopBits", {"1", "1.5", "2"}, m_stopBits, this);
    QGroupBox* flow = optionFrame(QStringLiteral("&Flow Control"), "FlowCtrl",
                                  {"None", "Xon/Xoff", "Hardware", "Opto-RS"}, m_flow, this);

    m_input->setObjectName(QStringLiteral("BuffSize"));
    m_output->setObjectName(QStringLiteral("OutBuffSize"));
    for (BufferSizeBox* box : {m_input, m_output}) {
        box->onRefused = [this] { m_prompts.beep(); };
        connect(box, &QLineEdit::textEdited, this, [this, box] { refuseTyping(box); });
    }

    auto* devicesFrame = new QGroupBox(QStringLiteral("Serial Devices Present Now"), this);
    devicesFrame->setObjectName(QStringLiteral("DevicesFrame"));
    m_deviceList->setObjectName(QStringLiteral("DeviceList"));
    m_deviceList->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Vendor"),
                                   QStringLiteral("Product"), QStringLiteral("Serial Number"),
                                   QStringLiteral("Stable Path")});
    m_deviceList->setRootIsDecorated(false);
    auto* rescan = namedButton("RescanDevices", QStringLiteral("&Rescan"), devicesFrame);
    m_bind->setParent(devicesFrame);
    auto* devicesLayout = new QGridLayout(devicesFrame);
    devicesLayout->addWidget(m_deviceList, 0, 0, 1, 3);
    devicesLayout->setColumnStretch(0, 1);
    devicesLayout->addWidget(rescan, 1, 1);
    devicesLayout->addWidget(m_bind, 1, 2);

    auto* pathFrame = new QGroupBox(QStringLiteral("Device of the Selected Port"), this);
    pathFrame->setObjectName(QStringLiteral("PathFrame"));
    m_path->setObjectName(QStringLiteral("DevicePath"));
    m_path->setPlaceholderText(QStringLiteral("/dev/ttyUSB0, /dev/rfcomm0, /dev/pts/3 ..."));
    m_path->installEventFilter(this);
    auto* pathLabel = new QLabel(QStringLiteral("Device P&ath:"), pathFrame);
    pathLabel->setBuddy(m_path);
    m_session->setObjectName(QStringLiteral("SessionDevice"));
    m_session->setWordWrap(true);
    m_session->setVisible(false);
    auto* pathLayout = new QGridLayout(pathFrame);
    pathLayout->addWidget(pathLabel, 0, 0);
    pathLayout->addWidget(m_path, 0, 1);
    pathLayout->setColumnStretch(1, 1);
    for (QPushButton* button : {m_browse, m_bindPath, m_unbind}) {
        button->setParent(pathFrame);
        button->setAutoDefault(false);
    }
    pathLayout->addWidget(m_browse, 0, 2);
    pathLayout->addWidget(m_bindPath, 0, 3);
    pathLayout->addWidget(m_unbind, 0, 4);
    pathLayout->addWidget(m_session, 1, 0, 1, 5);
    m_browse->setVisible(false);

    auto* ok = namedButton("OK_Button", QStringLiteral("&OK"), this);
    auto* cancel = namedButton("Cancel_Button", QStringLiteral("&Cancel"), this);
    ok->setDefault(true);

    auto* sizes = new QGridLayout;
    auto* inputLabel = new QLabel(QStringLiteral("Input Buffer Size:"), this);
    auto* outputLabel = new QLabel(QStringLiteral("Output Buffer Size:"), this);
    inputLabel->setBuddy(m_input);
    outputLabel->setBuddy(m_output);
    sizes->addWidget(inputLabel, 0, 0);
    sizes->addWidget(m_input, 1, 0);
    sizes->addWidget(outputLabel, 0, 1);
    sizes->addWidget(m_output, 1, 1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(connector, 0, 0);
    layout->addWidget(m_ports, 1, 0, 3, 1);
    layout->addWidget(baud, 1, 1, 2, 1);
    layout->addWidget(parity, 1, 2);
    layout->addWidget(dataBits, 2, 2);
    layout->addWidget(stopBits, 1, 3);
    layout->addWidget(flow, 2, 3);
    layout->addLayout(sizes, 3, 1, 1, 3);
    layout->addWidget(devicesFrame, 4, 0, 1, 4);
    layout->addWidget(pathFrame, 5, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 6, 0, 1, 4);
    // Wide enough for a typical by-id path beside its port name; longer ones are elided in the middle
    // and shown whole in the tooltip.
    m_ports->setTextElideMode(Qt::ElideMiddle);
    m_ports->setMinimumWidth(fontMetrics().horizontalAdvance(
        QStringLiteral("COM255    /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0    ")));

    connect(ok, &QPushButton::clicked, this, &PortSetup::accept);
    connect(cancel, &QPushButton::clicked, this, &PortSetup::reject);
    connect(rescan, &QPushButton::clicked, this, &PortSetup::rescan);
    connect(m_bind, &QPushButton::clicked, this, &PortSetup::bindSelected);
    connect(m_bindPath, &QPushButton::clicked, this, &PortSetup::bindPath);
    connect(m_unbind, &QPushButton::clicked, this, &PortSetup::unbindPort);
    connect(m_browse, &QPushButton::clicked, this, &PortSetup::browseDevice);
    connect(m_ports, &QTreeWidget::currentItemChanged, this, &PortSetup::portChosen);
    const auto updateBind = [this] {
        m_bind->setEnabled(m_ports->currentItem() != nullptr && m_deviceList->currentItem() != nullptr);
    };
    connect(m_ports, &QTreeWidget::currentItemChanged, this, updateBind);
    connect(m_deviceList, &QTreeWidget::currentItemChanged, this, updateBind);
    m_bind->setEnabled(false);
}

void PortSetup::setFileDialogs(FileDialogs* dialogs) {
    m_fileDialogs = dialogs;
    m_browse->setVisible(dialogs != nullptr);
}

void PortSetup::setSessionDevice(const std::string& path) {
    m_session->setText(
        QStringLiteral("For this session the configuration's port uses %1 (--device).").arg(fromPath(path)));
    m_session->setVisible(!path.empty());
}

void PortSetup::load() {
    const PortForm form = LoadPortSettings(m_config);
    select(m_baud, form.BaudIndex);
    select(m_parity, form.ParityIndex);
    select(m_dataBits, form.DataBitsIndex);
    select(m_stopBits, form.StopBitsIndex);
    select(m_flow, form.FlowControl);
    m_input->setText(QString::fromStdString(form.InputBufferSize));
    m_output->setText(QString::fromStdString(form.OutputBufferSize));
    if (QTreeWidgetItem* row = m_ports->topLevelItem(form.PortIndex)) {
        m_ports->setCurrentItem(row);
        m_ports->scrollToItem(row);
    }
    rescan();
}

void PortSetup::rescan() {
    m_devices = m_lister();
    m_deviceList->clear();
    for (const SerialDeviceInfo& d : m_devices) {
        new QTreeWidgetItem(m_deviceList, {fromPath(d.DevicePath), usbText(d.Manufacturer, d.VendorId),
                                           usbText(d.Product, d.ProductId), fromPath(d.SerialNumber),
                                           fromPath(d.ByIdPath)});
    }
    for (int c = 0; c < m_deviceList->columnCount(); ++c)
        m_deviceList->resizeColumnToContents(c);
    showPortDevices();
}

bool PortSetup::present(const std::string& path) const {
    for (const SerialDeviceInfo& d : m_devices)
        if (path == d.DevicePath || path == d.ByIdPath)
            return true;
    return DevicePresent(path);
}

void PortSetup::showPortDevices() {
    for (int n = 0; n < m_ports->topLevelItemCount(); ++n) {
        QTreeWidgetItem* row = m_ports->topLevelItem(n);
        const std::string name = row->text(0).toStdString();
        const std::string bound = m_bindings.boundPath(name);
        const std::string path = bound.empty() ? PortBindings::defaultDevicePath(name) : bound;
        QString device = fromPath(path);
        if (!present(path))
            device += QStringLiteral(" (absent)");
        row->setText(1, device);
        row->setToolTip(1, device);
    }
}

void PortSetup::bindSelected() {
    const QTreeWidgetItem* port = m_ports->currentItem();
    const int device = m_deviceList->indexOfTopLevelItem(m_deviceList->currentItem());
    if (port == nullptr || device < 0 || device >= static_cast<int>(m_devices.size()))
        return;
    m_bindings.bind(port->text(0).toStdString(), m_devices[static_cast<std::size_t>(device)].stablePath());
    showPortDevices();
    portChosen();
}

std::string PortSetup::selectedPortName() const {
    const QTreeWidgetItem* port = m_ports->currentItem();
    return port ? port->text(0).toStdString() : std::string();
}

void PortSetup::portChosen() {
    const std::string bound = m_bindings.boundPath(selectedPortName());
    m_path->setText(fromPath(bound));
    m_unbind->setEnabled(!bound.empty());
    m_bindPath->setEnabled(m_ports->currentItem() != nullptr);
}

void PortSetup::bindPath() {
    const std::string name = selectedPortName();
    if (name.empty())
        return;
    const QByteArray typed = m_path->text().trimmed().toUtf8();
    const std::string path(typed.constData(), static_cast<std::size_t>(typed.size()));
    const auto problem = path.empty()
                             ? std::optional<std::string>("Type or choose the device for " + name + ".")
                             : m_check(path);
    if (problem) {
        refuseInput(m_prompts, *problem, "Invalid Device", m_path);
        return;
    }
    m_bindings.bind(name, path);
    showPortDevices();
    portChosen();
}

void PortSetup::unbindPort() {
    m_bindings.bind(selectedPortName(), {});
    showPortDevices();
    portChosen();
}

void PortSetup::browseDevice() {
    if (m_fileDialogs == nullptr)
        return;
    FileDialogRequest request;
    request.Title = "Choose the Device for " + selectedPortName();
    const QByteArray typed = m_path->text().trimmed().toUtf8();
    request.InitialName = typed.isEmpty() ? std::string("/dev/") : typed.toStdString();
    request.FileMustExist = true;
    request.Devices = true;
    if (const auto chosen = m_fileDialogs->openFileName(request); chosen && !chosen->empty())
        m_path->setText(fromPath(*chosen));
    m_path->setFocus(Qt::OtherFocusReason);
}

bool PortSetup::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the path box binds it rather than closing the dialog through its default button.
    if (watched == m_path && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bindPath();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PortSetup::refuseTyping(BufferSizeBox* box) {
    if (!BufferSizeTooLarge(box->text().toStdString()))
        return;
    m_prompts.beep();
    m_prompts.messageBox(BufferSizeMessage(), kBufferSizeTitle, MessageButtons::Ok, MessageIcon::Exclamation);
    box->setText(box->Before);
    box->setCursorPosition(kBufferSizeCaret);
}

std::int16_t PortSetup::selected(const QButtonGroup* group, std::int16_t setting) const {
    const int id = group->checkedId();
    return id < 0 ? setting : static_cast<std::int16_t>(id);
}

void PortSetup::accept() {
    PortForm form;
    form.PortIndex = m_ports->currentItem()
                         ? static_cast<std::int16_t>(m_ports->indexOfTopLevelItem(m_ports->currentItem()))
                         : m_config.PortIndex;
    form.BaudIndex = selected(m_baud, m_config.BaudIndex);
    form.ParityIndex = selected(m_parity, m_config.ParityIndex);
    form.DataBitsIndex = selected(m_dataBits, m_config.DataBitsIndex);
    form.StopBitsIndex = selected(m_stopBits, m_config.StopBitsIndex);
    form.FlowControl = selected(m_flow, m_config.FlowControl);
    form.InputBufferSize = m_input->text().toStdString();
    form.OutputBufferSize = m_output->text().toStdString();
    if (const auto refused = StorePortSettings(m_config, form)) {
        refuseInput(m_prompts, BufferSizeMessage(), std::string(kBufferSizeTitle),
                    *refused == RefusedBufferSize::Input ? m_input : m_output);
        return;
    }
    QDialog::accept();
}

} // namespace quorvane
