#pragma once
#include <QElapsedTimer>
#include <QTimer>

// A timer that beats every 10 ms on the GUI thread. The longest gap between two beats, less the
// 10 ms, is the longest time the event loop could not run: the window could neither repaint
// nor react to the user for that long.
class Heartbeat {
public:
    static constexpr int kIntervalMs = 10;

    Heartbeat();
    void Start();
    // The time since the last beat counts as a gap too: a stall may last until the end.
    void Stop();
    double LongestStallMs() const;

private:
    void Beat();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestGapNs = 0;
};
