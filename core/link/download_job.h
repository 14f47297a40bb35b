#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/base/background_job.h"
#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/link/line_cancel.h"
#include "core/link/recorder_protocol.h"

// The download of one message into its ".Bin" file: the transfer request, the "Receive"
// progress, one data block at a time written through the staged output file (so the file
// appears whole or not at all), and the cancel filler whenever the transfer ends before its
// last block. It runs on the calling thread (Run) or on a worker of its own whose end is
// handed to the owner's thread (Start).
//
// How it ends: Ok; Cancelled (by Cancel, the progress display's Cancel or an interrupt of the
// line); LineSilent or ReplyWrong when the status or a block before the last did not come
// whole (a short last block ends the message); FileNotWritten, with the file and the system's
// reason; NotConnected. It takes no exchange guard of its own: the link does.
class DownloadJob {
public:
    DownloadJob(RecorderProtocol& protocol, SerialChannel& channel)
        : m_protocol(protocol), m_channel(channel) {}
    ~DownloadJob();  // cancels and waits for a running worker
    DownloadJob(const DownloadJob&) = delete;
    DownloadJob& operator=(const DownloadJob&) = delete;

    Result Run(int folder, int message, const std::string& binPath,
               const ProgressFactory& progress);
    // Runs the transfer on a worker; complete then runs through post while the worker waits.
    // False when a transfer is still running or no thread could be started.
    bool Start(int folder, int message, std::string binPath, ProgressFactory progress,
               TaskPoster post, BackgroundJob::Completion complete);

    // Asks the transfer under way to stop as the progress display's Cancel does. Any thread.
    void Cancel();
    // Cancels a worker and waits for it; its completion is then never delivered. Its result
    // when it had ended without its completion having run. Owner's thread.
    std::optional<Result> Stop();
    // A worker is under way or its completion not yet run. Owner's thread.
    bool IsRunning() const { return m_worker.Running(); }

private:
    std::shared_ptr<LineCancel> Begin();
    void End(const std::shared_ptr<LineCancel>& cancel);
    Result Transfer(int folder, int message, const std::string& binPath,
                    const ProgressFactory& progress, const std::shared_ptr<LineCancel>& cancel);

    RecorderProtocol& m_protocol;
    SerialChannel& m_channel;
    std::mutex m_cancelMutex;
    std::shared_ptr<LineCancel> m_cancel;  // the transfer under way; guarded by m_cancelMutex
    BackgroundJob m_worker;                // last: it goes first
};
