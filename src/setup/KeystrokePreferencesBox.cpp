#include "setup/KeystrokePreferencesBox.h"

#include "setup/widgets/Named.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace quorvane {

namespace {

QSpinBox* timing(const char* name) {
    auto* box = named(new QSpinBox, name);
    box->setRange(0, kMaxKeystrokeTiming);
    box->setSuffix(QStringLiteral(" ms"));
    return box;
}

} // namespace

KeystrokePreferencesBox::KeystrokePreferencesBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Keystrokes"), parent) {
    setObjectName(QStringLiteral("KeystrokesFrame"));
    m_backend = named(new QComboBox, "KeystrokeBackend");
    for (const KeystrokeBackendChoice& choice : kKeystrokeBackendChoices)
        m_backend->addItem(
            QString::fromUtf8(choice.Caption.data(), static_cast<qsizetype>(choice.Caption.size())));
    m_layout = named(new QLineEdit, "KeystrokeLayout");
    m_layout->setPlaceholderText(QStringLiteral("the desktop's"));
    m_variant = named(new QLineEdit, "KeystrokeVariant");
    m_variant->setPlaceholderText(QStringLiteral("basic"));
    m_keyDelay = timing("KeyDelay");
    m_holdTime = timing("HoldTime");
    // Two settings to a row keep the dialog short enough for a small screen at 150%. Each caption
    // is its control's buddy: Alt and the letter focus the control, and assistive tools read the
    // caption as its name.
    auto* rows = new QGridLayout(this);
    const auto row = [rows](int r, int column, const char* caption, QWidget* control, int span = 1) {
        auto* label = new QLabel(QString::fromLatin1(caption));
        label->setBuddy(control);
        rows->addWidget(label, r, column);
        rows->addWidget(control, r, column + 1, 1, span);
    };
    row(0, 0, "&Type keystrokes through:", m_backend, 3);
    row(1, 0, "&Layout:", m_layout);
    row(1, 2, "&Variant:", m_variant);
    row(2, 0, "Key &delay:", m_keyDelay);
    row(2, 2, "&Hold time:", m_holdTime);
    rows->setColumnStretch(1, 1);
    rows->setColumnStretch(3, 1);
    const QString kernelOnly =
        QStringLiteral("Used by the kernel virtual keyboard (uinput) only, also when Automatic chooses it.");
    for (QWidget* w : {static_cast<QWidget*>(m_layout), static_cast<QWidget*>(m_variant),
                       static_cast<QWidget*>(m_keyDelay), static_cast<QWidget*>(m_holdTime)})
        w->setToolTip(kernelOnly);

    connect(m_backend, &QComboBox::currentIndexChanged, this, &KeystrokePreferencesBox::updateEnabled);
    connect(m_layout, &QLineEdit::textChanged, this, &KeystrokePreferencesBox::updateEnabled);
    showForm(m_shown);
}

void KeystrokePreferencesBox::load(const SettingsStore& store) {
    m_shown = LoadKeystrokeForm(store);
    showForm(m_shown);
}

void KeystrokePreferencesBox::showForm(const KeystrokeForm& form) {
    m_backend->setCurrentIndex(form.Backend);
    m_layout->setText(QString::fromStdString(form.Layout));
    m_variant->setText(QString::fromStdString(form.Variant));
    m_keyDelay->setValue(form.KeyDelay);
    m_holdTime->setValue(form.HoldTime);
    updateEnabled();
}

KeystrokeForm KeystrokePreferencesBox::form() const {
    KeystrokeForm form;
    form.Backend = m_backend->currentIndex();
    form.Layout = m_layout->text().toStdString();
    form.Variant = m_variant->text().toStdString();
    form.KeyDelay = m_keyDelay->value();
    form.HoldTime = m_holdTime->value();
    return form;
}

void KeystrokePreferencesBox::apply(SettingsStore& store) const {
    ApplyKeystrokeForm(m_shown, form(), store);
}

void KeystrokePreferencesBox::updateEnabled() {
    const KeystrokeForm now = form();
    m_layout->setEnabled(now.uinputSettingsEnabled());
    m_variant->setEnabled(now.variantEnabled());
    m_keyDelay->setEnabled(now.uinputSettingsEnabled());
    m_holdTime->setEnabled(now.uinputSettingsEnabled());
}

} // namespace quorvane
