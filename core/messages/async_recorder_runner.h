#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/background_job.h"
#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/link/recorder_link.h"
#include "core/messages/message_files.h"

// The window's way to the recorder and to the message files without ever blocking its own
// thread: one operation at a time runs on a worker thread. Each call brings what the
// operation needs: its working folder, the factory of its progress displays (called on the
// worker), and the poster through which its completion reaches the caller's thread, where it
// runs while the worker waits for it. An operation asked for while another runs ends at once
// with a Busy completion of its own.
//
// While an operation runs, its caller leaves the link and the directory alone (Cancel and
// IsRunning excepted): the worker owns them until the completion has run. At close the owner
// gives the runner up: the operation is cancelled, its worker waited for, and its completion
// never runs, also when it was already posted.
//
// Every call but Cancel belongs to the owner's thread.
class AsyncRecorderRunner {
public:
    using Completion = BackgroundJob::Completion;

    AsyncRecorderRunner(RecorderLink& link, MessageFiles& files) : m_link(link), m_files(files) {}
    ~AsyncRecorderRunner();  // gives up
    AsyncRecorderRunner(const AsyncRecorderRunner&) = delete;
    AsyncRecorderRunner& operator=(const AsyncRecorderRunner&) = delete;

    // Any operation. True when it started; false when it was refused (its completion tells).
    bool Run(std::function<Result()> work, const TaskPoster& post, Completion complete);

    bool EnsureBin(int folder, int message, std::string workingFolder, ProgressFactory progress,
                   const TaskPoster& post, Completion complete);
    bool EnsureWav(int folder, int message, std::string workingFolder, ProgressFactory progress,
                   const TaskPoster& post, Completion complete);
    bool Connect(ProgressFactory progress, const TaskPoster& post, Completion complete);
    bool SetTime(int hour, int minute, const TaskPoster& post, Completion complete);
    bool SetDate(int year, int month, int day, const TaskPoster& post, Completion complete);
    // DeleteMessage, then (once the recorder confirmed it) RemoveEntry in workingFolder.
    bool Delete(int folder, int message, std::string workingFolder, const TaskPoster& post,
                Completion complete);
    // Several messages (folder and message each), from the highest number of each folder down
    // so that the renumbering of one never moves another still to go; it stops at the first the
    // recorder refuses.
    bool Delete(std::vector<std::pair<int, int>> messages, std::string workingFolder,
                const TaskPoster& post, Completion complete);

    // Asks the operation under way to stop as its Cancel does. Any thread.
    void Cancel() { m_link.Cancel(); }
    // Cancels the operation under way and waits for its worker; its completion never runs.
    void GiveUp();
    // An operation runs, or its completion has not run yet.
    bool IsRunning() const { return m_job.Running(); }

private:
    RecorderLink& m_link;
    MessageFiles& m_files;
    BackgroundJob m_job;
};
