#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QSettings>

namespace quorvane {

namespace {

QString fromBytes(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool isUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toUtf8() ==
           QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A path in UTF-8 is stored as text, so the INI file and every Qt program read the same name; a
// path that is not UTF-8 (a file named in another encoding) is kept as its bytes.
QVariant storedValue(std::string_view bytes) {
    if (isUtf8(bytes))
        return fromBytes(bytes);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QVariant& value) {
    const QByteArray bytes =
        value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    return bytes.toStdString();
}

QString defaultFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/quorvane");
}

QString entryKey(std::string_view section, std::string_view key) {
    return fromBytes(section) + QLatin1Char('/') + fromBytes(key);
}

} // namespace

QtSettingsStore::QtSettingsStore(QString folder)
    : m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder)) {}

QString QtSettingsStore::fileFor(std::string_view application) const {
    QString name = fromBytes(application);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return m_folder + QLatin1Char('/') + name + QStringLiteral(".ini");
}

std::string QtSettingsStore::GetSetting(std::string_view application, std::string_view section,
                                        std::string_view key, std::string_view defaultValue) const {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    const QVariant value = settings.value(entryKey(section, key));
    if (!value.isValid())
        return std::string(defaultValue);
    return toBytes(value);
}

void QtSettingsStore::SaveSetting(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view value) {
    QSettings settings(fileFor(application), QSettings::IniFormat);
    const QString entry = entryKey(section, key);
    // A value already stored leaves the file alone: writing takes the file's lock, and many
    // engines stopped at once (each storing its window position) would queue for it.
    if (const QVariant stored = settings.value(entry); stored.isValid() && toBytes(stored) == value)
        return;
    QDir().mkpath(m_folder);
    settings.setValue(entry, storedValue(value));
    settings.sync();
}

} // namespace quorvane
