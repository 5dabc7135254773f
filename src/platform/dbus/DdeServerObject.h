#pragma once
// The object a DDE server exports at /org/quorvane/dde.

#include "platform/DdeBus.h"

#include <QDBusContext>
#include <QObject>
#include <QStringList>

namespace quorvane {

/// Exports the org.quorvane.dde.Server interface and hands each call to a DdeServerHandler.
class DdeServerObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvane.dde.Server")
    Q_PROPERTY(QString Service READ service)
    Q_PROPERTY(QString Topic READ topic)

public:
    /// `handler` must outlive the object.
    DdeServerObject(QString service, QString topic, DdeServerHandler& handler)
        : m_service(std::move(service)), m_topic(std::move(topic)), m_handler(handler) {}

    QString service() const { return m_service; }
    QString topic() const { return m_topic; }

public slots:
    bool Execute(const QString& command);
    QString Request(const QString& item);
    bool Poke(const QString& item, const QString& value);
    QStringList Items();

signals:
    // Declared for the interface's description; the server sends it through its ItemChangeSender.
    void ItemChanged(const QString& item, const QString& value);

private:
    QString m_service;
    QString m_topic;
    DdeServerHandler& m_handler;
};

} // namespace quorvane
