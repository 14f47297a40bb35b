#pragma once
#include <QElapsedTimer>
#include <QTimer>
#include <vector>

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
    // How many times the loop stalled longer than that: a load spike of the machine stalls it
    // once, work on the GUI thread every time it comes round.
    int StallsOver(double ms) const;

private:
    void Beat();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    std::vector<qint64> m_gapsNs;
};
