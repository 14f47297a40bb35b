#pragma once
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

// Runs tasks handed over from any thread on the GUI thread, later, in the order they were
// handed over, each only while the object it belongs to still lives (as a queued call on that
// object would). The tasks wait in a queue of our own under a std::mutex, and Qt is only asked
// to come and look: whatever a task carries passes between the threads under a lock that
// ThreadSanitizer sees, where Qt's own event queue hands it over under locks it cannot see.
class GuiThreadQueue : public QObject {
    Q_OBJECT
public:
    // Any thread. context lives on the GUI thread.
    static void Post(QObject* context, std::function<void()> task);

private:
    GuiThreadQueue() = default;
    // One task at a time, so that a task which runs an event loop of its own (a message box)
    // leaves the tasks after it in their order.
    Q_INVOKABLE void Drain();

    std::mutex m_mutex;
    // Guarded by m_mutex.
    std::deque<std::pair<QPointer<QObject>, std::function<void()>>> m_tasks;
    bool m_bDrainAsked = false;

    static GuiThreadQueue* const s_queue;
};
