#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstdio>
#include <sys/stat.h>

#include "platform/FileKind.h"

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

QtSettingsStore::QtSettingsStore(QString folder, ProblemReporter report)
    : m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder)), m_report(std::move(report)) {}

void QtSettingsStore::report(const QString& file, const std::string& why) const {
    const std::string text = "the settings file " + file.toStdString() + " " + why;
    if (m_report)
        m_report(text);
    else
        std::fprintf(stderr, "quorvane: %s\n", text.c_str());
}

QtSettingsStore::Access QtSettingsStore::accessTo(const QString& file) const {
    if (const auto refused = m_refused.find(file); refused != m_refused.end())
        return refused->second;
    // QSettings would block opening a FIFO and rename its new file over a device node.
    struct stat info {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return Access::ReadWrite; // not made yet
    if (!S_ISREG(info.st_mode)) {
        report(file, std::string("is ") + FileKindName(info.st_mode) +
                         ", not a regular file; no settings are read from it or saved to it");
        return m_refused[file] = Access::None;
    }
    // QSettings parses sections as they are asked for, and keeps what it parsed for later objects
    // on the same file: the whole file is parsed once, here, to know whether any of it was lost.
    if (m_checked.insert(file).second) {
        QSettings settings(file, QSettings::IniFormat);
        static_cast<void>(settings.allKeys());
        if (settings.status() != QSettings::NoError) {
            report(file, "cannot be read whole; the entries that could not be read are not used, and "
                         "the file is not saved over");
            return m_refused[file] = Access::ReadOnly;
        }
    }
    return Access::ReadWrite;
}

QString QtSettingsStore::fileFor(std::string_view application) const {
    QString name = fromBytes(application);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return m_folder + QLatin1Char('/') + name + QStringLiteral(".ini");
}

std::string QtSettingsStore::GetSetting(std::string_view application, std::string_view section,
                                        std::string_view key, std::string_view defaultValue) const {
    const QString file = fileFor(application);
    if (accessTo(file) == Access::None)
        return std::string(defaultValue);
    QSettings settings(file, QSettings::IniFormat);
    const QVariant value = settings.value(entryKey(section, key));
    if (!value.isValid())
        return std::string(defaultValue);
    return toBytes(value);
}

void QtSettingsStore::SaveSetting(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view value) {
    const QString file = fileFor(application);
    // Saving rewrites the whole file from what was read: the parts that could not be read would be
    // lost with it.
    if (accessTo(file) != Access::ReadWrite)
        return;
    QSettings settings(file, QSettings::IniFormat);
    const QString entry = entryKey(section, key);
    const QVariant stored = settings.value(entry);
    // A value already stored leaves the file alone: writing takes the file's lock, and many
    // engines stopped at once (each storing its window position) would queue for it.
    if (stored.isValid() && toBytes(stored) == value)
        return;
    QDir().mkpath(m_folder);
    settings.setValue(entry, storedValue(value));
    settings.sync();
}

} // namespace quorvane
