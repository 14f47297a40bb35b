#include "bench/gui/heartbeat.h"

#include <algorithm>

Heartbeat::Heartbeat() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
}

void Heartbeat::Start() {
    m_longestGapNs = 0;
    m_clock.start();
    m_lastNs = 0;
    m_timer.start();
}

void Heartbeat::Stop() {
    if (!m_timer.isActive()) return;
    Beat();
    m_timer.stop();
}

void Heartbeat::Beat() {
    const qint64 now = m_clock.nsecsElapsed();
    m_longestGapNs = std::max(m_longestGapNs, now - m_lastNs);
    m_lastNs = now;
}

double Heartbeat::LongestStallMs() const {
    return std::max(0.0, static_cast<double>(m_longestGapNs) / 1e6 - kIntervalMs);
}
