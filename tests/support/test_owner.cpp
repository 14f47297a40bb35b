#include "tests/support/test_owner.h"

RecordingProgress::RecordingProgress(std::shared_ptr<ProgressLog> log, int cancelAfterSteps,
                                     std::function<void(RecordingProgress&)> onStep)
    : m_log(std::move(log)), m_cancelAfterSteps(cancelAfterSteps), m_onStep(std::move(onStep)) {}

RecordingProgress::~RecordingProgress() {
    std::lock_guard lock(m_log->mutex);
    ++m_log->destroyed;
}

void RecordingProgress::SetRange(int lower, int upper, int step) {
    std::lock_guard lock(m_log->mutex);
    m_log->lower = lower;
    m_log->upper = upper;
    m_log->step = step;
}

void RecordingProgress::SetText(const std::string& text) {
    std::lock_guard lock(m_log->mutex);
    m_log->texts.push_back(text);
}

int RecordingProgress::StepIt() {
    {
        std::lock_guard lock(m_log->mutex);
        ++m_log->steps;
    }
    ++m_pos;
    if (m_onStep) m_onStep(*this);
    return m_pos;
}

void RecordingProgress::PeekAndPump(bool) {
    if (m_cancelAfterSteps >= 0 && m_pos >= m_cancelAfterSteps) PressCancel();
}

void RecordingProgress::Hide() {
    std::lock_guard lock(m_log->mutex);
    ++m_log->hides;
}

void RecordingProgress::SetCancelHook(std::function<void()> hook) {
    {
        std::lock_guard lock(m_hookMutex);
        m_hook = std::move(hook);
    }
    std::lock_guard lock(m_log->mutex);
    m_log->hookInstalled = true;
}

void RecordingProgress::PressCancel() {
    m_cancelled.store(true);
    std::function<void()> hook;
    {
        std::lock_guard lock(m_hookMutex);
        hook = m_hook;
    }
    if (hook) hook();
}

TestOwner::TestOwner() = default;

TestOwner::~TestOwner() = default;

ProgressFactory TestOwner::Progress() {
    return [this](const std::string& caption) -> std::unique_ptr<ProgressDisplay> {
        {
            std::lock_guard lock(progress->mutex);
            progress->captions.push_back(caption);
            progress->threads.push_back(std::this_thread::get_id());
        }
        return std::make_unique<RecordingProgress>(progress, cancelAfterSteps, onStep);
    };
}

void TestOwner::Post(std::function<void()> task) {
    if (runAtOnce) {
        task();
        return;
    }
    // Notified under the lock: the poster may be a worker that ends on its own, and the owner
    // may be gone as soon as it has run the task.
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
    m_posted.notify_all();
}

TaskPoster TestOwner::Poster() {
    return [this](std::function<void()> task) { Post(std::move(task)); };
}

BackgroundJob::Completion TestOwner::Completion() {
    return [this](const Result& result) {
        if (onComplete) onComplete(result);
        // Notified under the lock: a completion running on a worker must be done with the
        // owner once the test's thread sees it.
        std::lock_guard lock(m_mutex);
        completions.push_back(result);
        completionThreads.push_back(std::this_thread::get_id());
        m_posted.notify_all();
    };
}

RecorderLink::DownloadRequest TestOwner::Request() {
    return {WorkingFolder(), Progress(), Poster(), Completion()};
}

std::size_t TestOwner::PendingTasks() {
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

Result TestOwner::LastResult() {
    std::lock_guard lock(m_mutex);
    return completions.empty() ? Result(Result::Category::Busy, "no completion yet")
                               : completions.back();
}

void TestOwner::RunPosted() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

int TestOwner::WaitForCompletion(std::chrono::milliseconds timeout) {
    std::size_t before;
    {
        std::lock_guard lock(m_mutex);
        before = completions.size();
    }
    return WaitForCompletions(before + 1, timeout);
}

int TestOwner::WaitForCompletions(std::size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            const bool ready = m_posted.wait_until(
                lock, deadline, [&] { return !m_tasks.empty() || completions.size() >= count; });
            if (completions.size() >= count) return completions[count - 1] ? 1 : 0;
            if (!ready) return -1;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
