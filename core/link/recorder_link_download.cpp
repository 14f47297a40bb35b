// The download of one message on a thread of its own, and the hand-over of its end to the
// owner's thread.
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>

#include "core/base/system_error_text.h"
#include "core/link/exchange_guard.h"
#include "core/link/quiet_progress.h"
#include "core/link/recorder_link.h"
#include "core/res/strings.h"

struct RecorderLink::DownloadOutcome {
    DownloadEnd end = DownloadEnd::None;
    std::string detail;
};

// Shared by the link, the download thread, the completion task and the progress display's
// cancel hook; whichever of them lives longest frees it. Nothing that holds it alone may touch
// the link.
struct RecorderLink::DownloadSync {
    enum class State {
        Running,     // the transfer is under way
        Posted,      // the completion task is queued on the owner's thread
        Delivering,  // the task runs the owner's handler
        Delivered,   // the handler returned
        Abandoned,   // StopDownload: the completion is never delivered
    };

    // Fixed before the thread starts.
    int folder = 0;
    int message = 1;
    std::string path;

    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable changed;
    // Guarded by mutex.
    State state = State::Running;
    SerialChannel* serial = nullptr;  // to wake a waiting Receive; null once the line is free
    std::thread::id deliveringThread;
    DownloadOutcome outcome;
    bool applied = false;  // FinishDownload ran

    void RequestCancel() {
        cancel.store(true);
        std::lock_guard lock(mutex);
        if (serial) serial->Interrupt();
    }
};

namespace {

// The ".Bin" file being received. Removed again unless Commit succeeds.
class BinFile {
public:
    explicit BinFile(std::string path) : m_path(std::move(path)) {}
    ~BinFile() { Discard(); }

    bool Create() {
        m_file = std::fopen(m_path.c_str(), "wb");
        if (!m_file) m_error = WithSystemReason(m_path, errno);
        return m_file != nullptr;
    }
    bool Write(const std::uint8_t* bytes, int count) {
        if (std::fwrite(bytes, 1, static_cast<size_t>(count), m_file) == static_cast<size_t>(count))
            return true;
        m_error = WithSystemReason(m_path, errno);
        return false;
    }
    // Closes the file; false (with the file removed) when its last bytes could not be written.
    bool Commit() {
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fclose(file) == 0) return true;
        m_error = WithSystemReason(m_path, errno);
        std::remove(m_path.c_str());
        return false;
    }
    void Discard() {
        if (!m_file) return;
        std::fclose(m_file);
        m_file = nullptr;
        std::remove(m_path.c_str());
    }
    const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

}  // namespace

int RecorderLink::StartDownload(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard || folder < 0 || folder >= kFolderCount || message < 1 || message > kMaxMessages) {
        PostRefusedDownload();
        return 1;
    }
    ReapDownloadThread();

    m_nFolder = folder;
    m_nMessage = message;
    m_bCancelled = 0;
    auto sync = std::make_shared<DownloadSync>();
    sync->folder = folder;
    sync->message = message;
    sync->path = MessagePath(folder, message, ".Bin");
    sync->serial = &m_serial;
    m_serial.ClearInterrupt();
    {
        std::lock_guard lock(m_downloadMutex);
        m_downloadSync = sync;
    }
    try {
        m_downloadThread = std::thread(&RecorderLink::DownloadThread, this);
    } catch (const std::system_error&) {
        {
            std::lock_guard lock(m_downloadMutex);
            m_downloadSync.reset();
        }
        PostRefusedDownload();
        return 1;
    }
    guard.Keep();  // the thread's completion gives the link back
    return 1;
}

void RecorderLink::PostRefusedDownload() {
    {
        std::lock_guard lock(m_downloadMutex);
        m_lastDownloadEnd = DownloadEnd::Refused;
        m_lastDownloadError.clear();
    }
    LinkOwner* owner = m_pOwner;
    if (owner) owner->RunOnOwnerThread([owner] { owner->OnDownloadComplete(0); });
}

unsigned RecorderLink::DownloadThread(RecorderLink* link) {
    std::shared_ptr<DownloadSync> sync;
    {
        std::lock_guard lock(link->m_downloadMutex);
        sync = link->m_downloadSync;
    }
    DownloadOutcome outcome = link->RunDownload(sync);
    {
        std::lock_guard lock(sync->mutex);
        sync->outcome = std::move(outcome);
        sync->serial = nullptr;
    }
    DeliverDownload(link, sync);
    return 0;
}

RecorderLink::DownloadOutcome RecorderLink::RunDownload(
    const std::shared_ptr<DownloadSync>& shared) {
    DownloadSync& sync = *shared;
    if (!m_bConnected) return {DownloadEnd::NotConnected, {}};

    auto stopRecorder = [&] { m_protocol.SendCancelFiller(); };

    int blocks = 0;
    const Result requested = m_protocol.RequestTransfer(sync.folder, sync.message, &blocks);
    if (!requested) {
        // Part of a status frame means the recorder may be starting the transfer: stop it.
        const bool cancelled = sync.cancel.load() || requested.Is(Result::Category::Cancelled);
        if (cancelled || requested.Is(Result::Category::ReplyWrong)) stopRecorder();
        if (cancelled) return {DownloadEnd::Cancelled, {}};
        return {DownloadEnd::NoReply, requested.Detail()};
    }

    auto progress = CreateProgressOrQuiet(m_pOwner, text::kReceiveCaption);
    progress->SetCancelHook([weak = std::weak_ptr<DownloadSync>(shared)] {
        if (auto alive = weak.lock()) alive->RequestCancel();
    });
    progress->SetRange(0, blocks, 1);
    progress->SetText(text::kReceiveText);

    BinFile file(sync.path);
    if (!file.Create()) {
        stopRecorder();
        return {DownloadEnd::FileError, file.Error()};
    }

    std::array<std::uint8_t, kDirectoryBlockSize> block{};
    for (int i = 0; i < blocks; ++i) {
        progress->StepIt();
        progress->PeekAndPump(true);
        int received = 0;
        const Result line = m_protocol.ReceiveBlock(block.data(), &received);
        if (progress->CancelPressed() || sync.cancel.load()) {
            stopRecorder();
            file.Discard();
            return {DownloadEnd::Cancelled, {}};
        }
        const bool whole = received == kDirectoryBlockSize;
        const bool shortLast = received > 0 && i == blocks - 1;
        if (!whole && !shortLast) {
            // A missing or cut block before the end leaves a hole in the voice data.
            stopRecorder();
            file.Discard();
            std::string detail =
                "block " + std::to_string(i + 1) + " of " + std::to_string(blocks) +
                (received > 0
                     ? " arrived only in part (" + std::to_string(received) + " of 528 bytes)"
                     : " did not arrive");
            if (!line.Detail().empty()) detail += " (" + line.Detail() + ")";
            return {DownloadEnd::LineBroken, detail};
        }
        if (!file.Write(block.data(), received)) {
            stopRecorder();
            file.Discard();
            return {DownloadEnd::FileError, file.Error()};
        }
        if (!whole) break;  // a short last block ends the message
    }
    if (!file.Commit()) return {DownloadEnd::FileError, file.Error()};
    progress->Hide();
    return {DownloadEnd::Complete, {}};
}

void RecorderLink::DeliverDownload(RecorderLink* link, const std::shared_ptr<DownloadSync>& sync) {
    {
        std::lock_guard lock(sync->mutex);
        if (sync->state == DownloadSync::State::Abandoned) return;
        sync->state = DownloadSync::State::Posted;
    }
    // The task may run after StopDownload gave up on it and the link is gone: it looks at the
    // shared state before it touches the link.
    auto task = [link, sync] {
        {
            std::lock_guard lock(sync->mutex);
            if (sync->state != DownloadSync::State::Posted) return;
            sync->state = DownloadSync::State::Delivering;
            sync->deliveringThread = std::this_thread::get_id();
        }
        link->FinishDownload(*sync);
        const int complete = sync->outcome.end == DownloadEnd::Complete ? 1 : 0;
        if (link->m_pOwner) link->m_pOwner->OnDownloadComplete(complete);
        {
            std::lock_guard lock(sync->mutex);
            sync->state = DownloadSync::State::Delivered;
        }
        sync->changed.notify_all();
    };
    LinkOwner* owner = link->m_pOwner;
    if (owner) {
        owner->RunOnOwnerThread(task);
    } else {
        task();
    }
    std::unique_lock lock(sync->mutex);
    sync->changed.wait(lock, [&] {
        return sync->state == DownloadSync::State::Delivered ||
               sync->state == DownloadSync::State::Abandoned;
    });
}

void RecorderLink::FinishDownload(DownloadSync& sync) {
    if (sync.applied) return;
    sync.applied = true;
    const DownloadOutcome& outcome = sync.outcome;
    {
        std::lock_guard lock(m_downloadMutex);
        m_lastDownloadEnd = outcome.end;
        m_lastDownloadError = outcome.detail;
    }
    m_bCancelled = outcome.end == DownloadEnd::Cancelled ? 1 : 0;
    // Set here, on the owner's thread, rather than on the download thread, so the owner can
    // read the directory at any time without a lock.
    if (outcome.end == DownloadEnd::Complete) {
        m_directory.Entry(sync.folder, sync.message).downloaded = 1;
    }
    m_busy.store(false, std::memory_order_release);
}

void RecorderLink::ReapDownloadThread() {
    if (!m_downloadThread.joinable()) return;
    bool insideCompletion = m_downloadThread.get_id() == std::this_thread::get_id();
    if (m_downloadSync) {
        std::lock_guard lock(m_downloadSync->mutex);
        insideCompletion |= m_downloadSync->state == DownloadSync::State::Delivering &&
                            m_downloadSync->deliveringThread == std::this_thread::get_id();
    }
    // From within its own completion the thread cannot be joined (it waits for us); it ends by
    // itself as soon as the handler returns and touches nothing but the shared state.
    if (insideCompletion) {
        m_downloadThread.detach();
    } else {
        m_downloadThread.join();
    }
}

void RecorderLink::CancelDownload() {
    std::shared_ptr<DownloadSync> sync;
    {
        std::lock_guard lock(m_downloadMutex);
        sync = m_downloadSync;
    }
    if (sync) sync->RequestCancel();
}

void RecorderLink::StopDownload() {
    if (!m_downloadThread.joinable()) return;
    std::shared_ptr<DownloadSync> sync;
    {
        std::lock_guard lock(m_downloadMutex);
        sync = m_downloadSync;
    }
    if (sync) {
        sync->RequestCancel();
        {
            std::lock_guard lock(sync->mutex);
            if (sync->state == DownloadSync::State::Running ||
                sync->state == DownloadSync::State::Posted) {
                sync->state = DownloadSync::State::Abandoned;
            }
        }
        sync->changed.notify_all();
    }
    ReapDownloadThread();
    // A download stopped before its completion still leaves the link as it ended: a whole file
    // is marked downloaded, a cancelled one is not, and the link is free again.
    if (sync) {
        std::lock_guard lock(sync->mutex);
        if (sync->state == DownloadSync::State::Abandoned && !sync->applied) {
            FinishDownload(*sync);
        }
    }
}

bool RecorderLink::IsDownloading() const {
    std::shared_ptr<DownloadSync> sync;
    {
        std::lock_guard lock(m_downloadMutex);
        sync = m_downloadSync;
    }
    if (!sync) return false;
    std::lock_guard lock(sync->mutex);
    return sync->state == DownloadSync::State::Running ||
           sync->state == DownloadSync::State::Posted;
}

RecorderLink::DownloadEnd RecorderLink::LastDownloadEnd() const {
    std::lock_guard lock(m_downloadMutex);
    return m_lastDownloadEnd;
}

std::string RecorderLink::LastDownloadError() const {
    std::lock_guard lock(m_downloadMutex);
    return m_lastDownloadError;
}
