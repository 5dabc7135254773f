#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QSettings>

#include "config/CodePage.h"

namespace quorvane {

namespace {

QString fromBytes(std::string_view bytes) {
    return QString::fromStdString(BytesToUtf8(bytes));
}

std::string toBytes(const QString& text) {
    return Utf8ToBytes(text.toStdString());
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
    return toBytes(value.toString());
}

void QtSettingsStore::SaveSetting(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view value) {
    QDir().mkpath(m_folder);
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.setValue(entryKey(section, key), fromBytes(value));
    settings.sync();
}

} // namespace quorvane
