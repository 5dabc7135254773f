#pragma once
// Receives one server's ItemChanged signals for a client that follows its items.

#include "platform/DdeBus.h"

#include <QObject>
#include <QString>

namespace quorvane {

/// Hands ItemChanged(item, value) of one item (or of all when the filter is empty) to a handler.
class ItemChangedReceiver final : public QObject {
    Q_OBJECT

public:
    ItemChangedReceiver(QString item, DdeChangeHandler handler)
        : m_item(std::move(item)), m_handler(std::move(handler)) {}

public slots:
    void changed(const QString& item, const QString& value);

private:
    QString m_item;
    DdeChangeHandler m_handler;
};

} // namespace quorvane
