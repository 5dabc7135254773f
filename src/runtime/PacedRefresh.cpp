#include "runtime/PacedRefresh.h"

#include <QTimer>

namespace quorvane {

PacedRefresh::PacedRefresh(QObject* owner, int intervalMs, int lateMs, std::function<void()> run)
    : m_timer(new QTimer(owner)), m_intervalMs(intervalMs), m_lateMs(lateMs) {
    m_timer->setSingleShot(true);
    QObject::connect(m_timer, &QTimer::timeout, owner, std::move(run));
    m_since.start();
}

void PacedRefresh::changed() {
    if (m_soon)
        return;
    const qint64 wait = m_intervalMs - m_since.elapsed();
    if (wait <= 0) {
        m_soon = true;
        m_timer->start(0);
    } else if (!m_timer->isActive()) {
        m_timer->start(static_cast<int>(wait + m_lateMs));
    }
}

void PacedRefresh::started() {
    m_timer->stop();
    m_soon = false;
}

bool PacedRefresh::pending() const {
    return m_soon || m_timer->isActive();
}

} // namespace quorvane
