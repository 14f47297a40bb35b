#include "core/base/background_job.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

struct BackgroundJob::Shared {
    enum class State {
        Running,     // the work is under way
        Posted,      // the completion is queued on the owner's thread
        Delivering,  // the completion runs
        Delivered,   // the completion returned
        GivenUp,     // the completion never runs
    };

    std::mutex mutex;
    std::condition_variable changed;
    // Guarded by mutex.
    State state = State::Running;
    std::optional<Result> result;  // set once the work returned
    std::thread::id deliveringThread;

    void Set(State next) {
        {
            std::lock_guard lock(mutex);
            state = next;
        }
        changed.notify_all();
    }
};

BackgroundJob::~BackgroundJob() {
    GiveUp();
}

bool BackgroundJob::Start(Work work, TaskPoster post, Completion complete) {
    if (Running()) return false;
    Reap();
    auto shared = std::make_shared<Shared>();
    // The thread owns what it needs; it never touches this object, which may be gone by the
    // time the completion's turn comes.
    auto body = [shared, work = std::move(work), post = std::move(post),
                 complete = std::move(complete)] {
        Result result = work();
        bool givenUp = false;
        {
            std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
            givenUp = shared->state == Shared::State::GivenUp;
            if (!givenUp) shared->state = Shared::State::Posted;
        }
        shared->changed.notify_all();  // an owner giving the job up waits for the result
        if (givenUp) return;
        auto deliver = [shared, complete] {
            {
                std::lock_guard lock(shared->mutex);
                if (shared->state != Shared::State::Posted) return;
                shared->state = Shared::State::Delivering;
                shared->deliveringThread = std::this_thread::get_id();
            }
            complete(*shared->result);
            shared->Set(Shared::State::Delivered);
        };
        if (post) {
            post(deliver);
        } else {
            deliver();
        }
        std::unique_lock lock(shared->mutex);
        shared->changed.wait(lock, [&] {
            return shared->state == Shared::State::Delivered ||
                   shared->state == Shared::State::GivenUp;
        });
    };
    try {
        m_worker = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    m_shared = std::move(shared);
    return true;
}

std::optional<Result> BackgroundJob::GiveUp(const std::function<void()>& stop) {
    if (!m_shared) return std::nullopt;
    bool givenUp = false;
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->state == Shared::State::Running || m_shared->state == Shared::State::Posted) {
            m_shared->state = Shared::State::GivenUp;
            givenUp = true;
        }
    }
    m_shared->changed.notify_all();
    if (givenUp && stop) {
        std::unique_lock lock(m_shared->mutex);
        while (!m_shared->result) {
            lock.unlock();
            stop();
            lock.lock();
            m_shared->changed.wait_for(lock, std::chrono::milliseconds(20),
                                       [&] { return m_shared->result.has_value(); });
        }
    }
    Reap();
    std::optional<Result> undelivered;
    if (givenUp) {
        std::lock_guard lock(m_shared->mutex);
        undelivered = m_shared->result;
    }
    m_shared.reset();
    return undelivered;
}

bool BackgroundJob::Running() const {
    if (!m_shared) return false;
    std::lock_guard lock(m_shared->mutex);
    return m_shared->state == Shared::State::Running || m_shared->state == Shared::State::Posted;
}

void BackgroundJob::Reap() {
    if (!m_worker.joinable()) return;
    bool insideCompletion = m_worker.get_id() == std::this_thread::get_id();
    if (m_shared) {
        std::lock_guard lock(m_shared->mutex);
        insideCompletion |= m_shared->state == Shared::State::Delivering &&
                            m_shared->deliveringThread == std::this_thread::get_id();
    }
    if (insideCompletion) {
        m_worker.detach();
    } else {
        m_worker.join();
    }
}
