#include "gui/widgets/gui_thread_queue.h"

#include <QMetaObject>

// Made before main() runs, on the thread that runs it, which is the GUI thread: so it belongs
// to that thread from the first, and every thread that posts later sees it whole. It stays for
// the life of the process.
GuiThreadQueue* const GuiThreadQueue::s_queue = new GuiThreadQueue;

void GuiThreadQueue::Post(QObject* context, std::function<void()> task) {
    GuiThreadQueue& queue = *s_queue;
    bool ask = false;
    {
        std::lock_guard lock(queue.m_mutex);
        queue.m_tasks.emplace_back(QPointer<QObject>(context), std::move(task));
        ask = !std::exchange(queue.m_bDrainAsked, true);
    }
    if (ask) QMetaObject::invokeMethod(&queue, "Drain", Qt::QueuedConnection);
}

void GuiThreadQueue::Drain() {
    {
        std::lock_guard lock(m_mutex);
        m_bDrainAsked = false;
    }
    for (;;) {
        std::pair<QPointer<QObject>, std::function<void()>> next;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) return;
            next = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        if (next.first) next.second();
    }
}
