#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// The event loop of an owner without a window system (the command line, the benchmarks): the
// download thread posts its tasks here, and the owner's thread runs them while it waits.
class PostedTasks {
public:
    // Any thread. Notified under the lock: the poster may be a worker that nobody joins, and
    // the owner (with this object) may be gone as soon as it has run the task.
    void Post(std::function<void()> task) {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        m_posted.notify_all();
    }

    // The owner's thread: runs posted tasks, in order, until done() holds after one of them.
    // Every wait of the download is bounded, so its completion always comes.
    void RunUntil(const std::function<bool()>& done) {
        do {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_posted.wait(lock, [&] { return !m_tasks.empty(); });
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        } while (!done());
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
};
