#include "bench/gui/heartbeat.h"

#include <algorithm>

Heartbeat::Heartbeat() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
}

void Heartbeat::Start() {
    m_gapsNs.clear();
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
    m_gapsNs.push_back(now - m_lastNs);
    m_lastNs = now;
}

namespace {
double StallMs(qint64 gapNs) {
    return std::max(0.0, static_cast<double>(gapNs) / 1e6 - Heartbeat::kIntervalMs);
}
}  // namespace

double Heartbeat::LongestStallMs() const {
    const auto longest = std::max_element(m_gapsNs.begin(), m_gapsNs.end());
    return longest == m_gapsNs.end() ? 0.0 : StallMs(*longest);
}

int Heartbeat::StallsOver(double ms) const {
    return static_cast<int>(std::count_if(m_gapsNs.begin(), m_gapsNs.end(),
                                          [ms](qint64 gapNs) { return StallMs(gapNs) > ms; }));
}
