#include "platform/dbus/QtDdeClipboard.h"

#include "platform/dbus/BusText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quorvane {

namespace {

QString mimeType() {
    return QString::fromLatin1(kDdeLinkMimeType.data(), static_cast<qsizetype>(kDdeLinkMimeType.size()));
}

} // namespace

void QtDdeClipboard::setLink(std::string_view link, std::string_view text) {
    auto* data = new QMimeData;
    data->setData(mimeType(), toBusText(link).toUtf8());
    data->setText(toBusText(text));
    QGuiApplication::clipboard()->setMimeData(data);
}

std::optional<std::string> QtDdeClipboard::link() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(mimeType()))
        return std::nullopt;
    return fromBusText(QString::fromUtf8(data->data(mimeType())));
}

bool QtDdeClipboard::hasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

} // namespace quorvane
