#include "platform/qt/QtFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace quorvane {

namespace {

QString fromPath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::optional<std::string> run(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setWindowTitle(QString::fromStdString(request.Title));
    dialog.setNameFilters(QtFileFilter(request.Filter).split(QStringLiteral(";;")));
    if (!request.DefaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExtension));
    if (!request.InitialName.empty())
        dialog.selectFile(fromPath(request.InitialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

QString QtFileFilter(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QStringLiteral("*.*"))
            patterns = QStringLiteral("*");
        // Qt reads the patterns from the parentheses of the description.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            description.truncate(open);
        filters << description.trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileDialogs::openFileName(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (request.ExecutablesOnly)
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    else if (request.Devices)
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    return run(dialog, request);
}

std::optional<std::string> QtFileDialogs::saveFileName(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return run(dialog, request);
}

} // namespace quorvane
