#include "platform/dbus/DdeServerObject.h"

#include "platform/dbus/BusText.h"

namespace quorvane {

bool DdeServerObject::Execute(const QString& command) {
    // Every character of the code page is one UTF-16 unit: a longer text is longer as bytes too.
    if (static_cast<std::size_t>(command.size()) > kDdeMaxCommandLength)
        return false;
    const bool accepted = m_handler.execute(fromBusText(command));
    answering();
    return accepted;
}

QString DdeServerObject::Request(const QString& item) {
    const std::optional<std::string> value = m_handler.request(fromBusText(item));
    answering();
    if (!value) {
        sendErrorReply(QString::fromLatin1(kDdeNoSuchItemError.data(),
                                           static_cast<qsizetype>(kDdeNoSuchItemError.size())),
                       QStringLiteral("No such item: ") + item);
        return {};
    }
    return toBusText(*value);
}

bool DdeServerObject::Poke(const QString& item, const QString& value) {
    const bool accepted = m_handler.poke(fromBusText(item), fromBusText(value));
    answering();
    return accepted;
}

QStringList DdeServerObject::Items() {
    QStringList names;
    for (const std::string& name : m_handler.items())
        names.append(toBusText(name));
    answering();
    return names;
}

} // namespace quorvane
