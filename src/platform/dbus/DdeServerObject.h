#pragma once
// The object a DDE server exports at /org/quorvane/dde.

#include "platform/DdeBus.h"

#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <functional>

namespace quorvane {

/// Exports the org.quorvane.dde.Server interface and hands each call to a DdeServerHandler.
class DdeServerObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvane.dde.Server")
    Q_PROPERTY(QString Service READ service)
    Q_PROPERTY(QString Topic READ topic)

public:
    /// `handler` must outlive the object. `beforeAnswer` runs before each answer goes out.
    DdeServerObject(QString service, QString topic, DdeServerHandler& handler,
                    std::function<void()> beforeAnswer = {})
        : m_service(std::move(service)), m_topic(std::move(topic)), m_handler(handler),
          m_beforeAnswer(std::move(beforeAnswer)) {}

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
    void answering() const {
        if (m_beforeAnswer)
            m_beforeAnswer();
    }

    QString m_service;
    QString m_topic;
    DdeServerHandler& m_handler;
    std::function<void()> m_beforeAnswer;
};

} // namespace quorvane
