#include "platform/dbus/BusText.h"

#include "config/CodePage.h"

namespace quorvane {

QString toBusText(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    const std::string utf8 = BytesToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromBusText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToBytes(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace quorvane
