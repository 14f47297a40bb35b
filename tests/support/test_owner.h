#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/base/background_job.h"
#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/link/recorder_link.h"
#include "tests/support/temp_folder.h"

// What a progress display was asked to do, for the tests to look at afterwards.
struct ProgressLog {
    std::mutex mutex;
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    std::vector<std::thread::id> threads;  // where each display was made
    int lower = -1, upper = -1, step = -1;
    int steps = 0;
    int hides = 0;
    int destroyed = 0;
    bool hookInstalled = false;
};

// A progress display that records its calls and presses Cancel when told to: after a number
// of steps, or from another thread through the hook the operation installed.
class RecordingProgress : public ProgressDisplay {
public:
    RecordingProgress(std::shared_ptr<ProgressLog> log, int cancelAfterSteps,
                      std::function<void(RecordingProgress&)> onStep);
    ~RecordingProgress() override;

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override;
    bool CancelPressed() const override { return m_cancelled.load(); }
    void Hide() override;
    void SetCancelHook(std::function<void()> hook) override;

    // The user presses Cancel now (any thread): the flag, then the operation's hook.
    void PressCancel();

private:
    std::shared_ptr<ProgressLog> m_log;
    int m_cancelAfterSteps;
    std::function<void(RecordingProgress&)> m_onStep;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_hookMutex;
    std::function<void()> m_hook;
    int m_pos = 0;
};

// The caller of the link in the tests: a working folder of its own, progress displays that
// record, and an owner's thread. Tasks posted to it are queued and run by RunPosted and
// WaitForCompletion on the test's thread, as a window program's event loop would; with
// runAtOnce they run on the posting thread.
class TestOwner {
public:
    TestOwner();
    ~TestOwner();

    ProgressFactory Progress();
    TaskPoster Poster();
    // Records each end as a completion; onComplete runs first, inside it.
    BackgroundJob::Completion Completion();
    // A download request with all of the above.
    RecorderLink::DownloadRequest Request();
    // The working folder, ending with the separator.
    std::string WorkingFolder() const { return m_temp.Path(); }
    const std::filesystem::path& Folder() const { return m_folder; }

    // Runs posted tasks until a completion arrived or the time ran out: 1 when it ended well,
    // 0 when it failed (LastResult tells how), -1 when none came.
    int WaitForCompletion(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Runs posted tasks until `count` completions in all arrived; the last one's value or -1.
    int WaitForCompletions(std::size_t count,
                           std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Runs the tasks posted so far.
    void RunPosted();
    // Tasks posted and not run yet.
    std::size_t PendingTasks();
    // How the last completion ended.
    Result LastResult();

    bool runAtOnce = false;
    int cancelAfterSteps = -1;  // the next progress presses Cancel after this many steps
    std::function<void(RecordingProgress&)> onStep;  // called after each step of a progress
    std::function<void(const Result&)> onComplete;   // runs inside each completion
    std::shared_ptr<ProgressLog> progress = std::make_shared<ProgressLog>();
    std::vector<Result> completions;  // guarded by the owner's mutex
    std::vector<std::thread::id> completionThreads;

private:
    void Post(std::function<void()> task);

    TempFolder m_temp;
    std::filesystem::path m_folder{std::filesystem::path(m_temp.Path()).parent_path()};
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
};
