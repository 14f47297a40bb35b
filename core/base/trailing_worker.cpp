#include "core/base/trailing_worker.h"

#include <system_error>

TrailingWorker::~TrailingWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void TrailingWorker::Start(std::function<void()> job) {
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
            // Without a second thread the work is done in turn: slower, but all of it.
            job();
            return;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_job = std::move(job);
        m_busy = true;
    }
    m_changed.notify_all();
}

bool TrailingWorker::Done() {
    std::lock_guard lock(m_mutex);
    return !m_busy;
}

void TrailingWorker::Wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
}

void TrailingWorker::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // A job handed over just before the end still runs: the owner waits for it.
        m_changed.wait(lock, [this] { return m_quit || m_job; });
        if (!m_job) return;
        std::function<void()> job = std::move(m_job);
        m_job = nullptr;
        lock.unlock();
        job();
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}
