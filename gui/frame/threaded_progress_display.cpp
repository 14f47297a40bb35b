#include "gui/frame/threaded_progress_display.h"

#include <QPointer>
#include <QWidget>
#include <mutex>

#include "gui/frame/progress_window.h"
#include "gui/widgets/gui_thread_queue.h"

struct ThreadedProgressDisplay::Shared {
    std::atomic<bool> cancelled{false};
    std::mutex hookMutex;
    std::function<void()> hook;       // guarded by hookMutex
    QPointer<ProgressWindow> window;  // GUI thread only

    void Cancel() {
        cancelled = true;
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(hookMutex);
            call = hook;
        }
        if (call) call();
    }
};

namespace {

// GUI thread: the window's Cancel and Escape reach whoever drives it, then onCancel.
void Attach(const std::shared_ptr<ThreadedProgressDisplay::Shared>& shared, ProgressWindow* window,
            std::function<void()> onCancel) {
    shared->window = window;
    std::weak_ptr<ThreadedProgressDisplay::Shared> weak = shared;
    window->SetCancelCallback([weak, onCancel = std::move(onCancel)] {
        if (auto state = weak.lock()) state->Cancel();
        if (onCancel) onCancel();
    });
}

}  // namespace

ThreadedProgressDisplay::ThreadedProgressDisplay(QWidget* owner, const QString& caption,
                                                 std::function<void(ProgressWindow*)> created)
    : m_owner(owner), m_shared(std::make_shared<Shared>()) {
    GuiThreadQueue::Post(m_owner,
                         [owner, caption, shared = m_shared, created = std::move(created)] {
                             auto* window = new ProgressWindow(owner, caption, 1);
                             Attach(shared, window, {});
                             if (created) created(window);
                         });
}

ThreadedProgressDisplay::ThreadedProgressDisplay(QWidget* owner, std::shared_ptr<Shared> shown)
    : m_owner(owner), m_shared(std::move(shown)) {}

std::shared_ptr<ThreadedProgressDisplay::Shared> ThreadedProgressDisplay::Share(
    ProgressWindow* window, std::function<void()> onCancel) {
    auto shared = std::make_shared<Shared>();
    Attach(shared, window, std::move(onCancel));
    // Nobody pumps for it on this thread: its Escape cancels for as long as it is up.
    window->WatchEscape();
    return shared;
}

ThreadedProgressDisplay::~ThreadedProgressDisplay() {
    GuiThreadQueue::Post(m_owner, [shared = m_shared] { delete shared->window.data(); });
}

void ThreadedProgressDisplay::Post(std::function<void(ProgressWindow&)> call) {
    GuiThreadQueue::Post(m_owner, [shared = m_shared, call = std::move(call)] {
        if (shared->window) call(*shared->window);
    });
}

void ThreadedProgressDisplay::SetRange(int lower, int upper, int step) {
    m_nStep = step;
    Post([lower, upper, step](ProgressWindow& w) { w.SetRange(lower, upper, step); });
}

void ThreadedProgressDisplay::SetText(const std::string& text) {
    Post([text](ProgressWindow& w) { w.SetText("%s", text.c_str()); });
}

int ThreadedProgressDisplay::StepIt() {
    m_nPos += m_nStep;
    Post([](ProgressWindow& w) { w.StepIt(); });
    return m_nPos;
}

void ThreadedProgressDisplay::PeekAndPump(bool cancelOnEscape) {
    // The GUI thread runs its own event loop; all there is to do here is to have the window's
    // Escape count as Cancel from now on.
    if (cancelOnEscape && !m_bWatchingEscape) {
        m_bWatchingEscape = true;
        Post([](ProgressWindow& w) { w.WatchEscape(); });
    }
}

bool ThreadedProgressDisplay::CancelPressed() const {
    return m_shared->cancelled;
}

void ThreadedProgressDisplay::Hide() {
    Post([](ProgressWindow& w) { w.Hide(); });
}

void ThreadedProgressDisplay::SetCancelHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(m_shared->hookMutex);
    m_shared->hook = std::move(hook);
}
