#include "core/link/download_job.h"

#include <array>

#include "core/base/quiet_progress.h"
#include "core/base/staged_output_file.h"
#include "core/res/strings.h"

namespace {

Result FileFailure(const StagedOutputFile& file) {
    return {Result::Category::FileNotWritten, file.TargetPath() + ": " + file.Reason()};
}

}  // namespace

DownloadJob::~DownloadJob() {
    Stop();
}

std::shared_ptr<LineCancel> DownloadJob::Begin() {
    auto cancel = std::make_shared<LineCancel>(m_channel);
    // A cancel left over from an operation that already ended must not end this one.
    m_channel.ClearInterrupt();
    std::lock_guard lock(m_cancelMutex);
    m_cancel = cancel;
    return cancel;
}

void DownloadJob::End(const std::shared_ptr<LineCancel>& cancel) {
    cancel->Release();
    std::lock_guard lock(m_cancelMutex);
    if (m_cancel == cancel) m_cancel.reset();
}

Result DownloadJob::Run(int folder, int message, const std::string& binPath,
                        const ProgressFactory& progress) {
    const auto cancel = Begin();
    Result result = Transfer(folder, message, binPath, progress, cancel);
    End(cancel);
    return result;
}

bool DownloadJob::Start(int folder, int message, std::string binPath, ProgressFactory progress,
                        TaskPoster post, BackgroundJob::Completion complete) {
    if (m_worker.Running()) return false;
    const auto cancel = Begin();
    auto work = [this, folder, message, binPath = std::move(binPath),
                 progress = std::move(progress), cancel] {
        Result result = Transfer(folder, message, binPath, progress, cancel);
        End(cancel);
        return result;
    };
    if (m_worker.Start(std::move(work), std::move(post), std::move(complete))) return true;
    End(cancel);
    return false;
}

void DownloadJob::Cancel() {
    std::shared_ptr<LineCancel> cancel;
    {
        std::lock_guard lock(m_cancelMutex);
        cancel = m_cancel;
    }
    if (cancel) cancel->Request();
}

std::optional<Result> DownloadJob::Stop() {
    if (m_worker.Running()) Cancel();
    return m_worker.GiveUp();
}

Result DownloadJob::Transfer(int folder, int message, const std::string& binPath,
                             const ProgressFactory& factory,
                             const std::shared_ptr<LineCancel>& cancel) {
    auto stopRecorder = [&] { m_protocol.SendCancelFiller(); };
    Result cancelled(Result::Category::Cancelled, {});

    int blocks = 0;
    Result requested = m_protocol.RequestTransfer(folder, message, &blocks);
    if (requested.Is(Result::Category::NotConnected)) return requested;
    if (!requested) {
        // Part of a status frame means the recorder may be starting the transfer: stop it.
        const bool stopped = cancel->Requested() || requested.Is(Result::Category::Cancelled);
        if (stopped || requested.Is(Result::Category::ReplyWrong)) stopRecorder();
        return stopped ? cancelled : requested;
    }

    auto progress = MakeProgress(factory, text::kReceiveCaption);
    progress->SetCancelHook([weak = std::weak_ptr<LineCancel>(cancel)] {
        if (auto alive = weak.lock()) alive->Request();
    });
    progress->SetRange(0, blocks, 1);
    progress->SetText(text::kReceiveText);

    StagedOutputFile file;
    if (!file.Create(binPath)) {
        stopRecorder();
        return FileFailure(file);
    }

    std::array<std::uint8_t, kDirectoryBlockSize> block{};
    for (int i = 0; i < blocks; ++i) {
        progress->StepIt();
        progress->PeekAndPump(true);
        int received = 0;
        const Result line = m_protocol.ReceiveBlock(block.data(), &received);
        if (progress->CancelPressed() || cancel->Requested() ||
            line.Is(Result::Category::Cancelled)) {
            stopRecorder();
            return cancelled;  // the staged file goes with it
        }
        const bool whole = received == kDirectoryBlockSize;
        const bool shortLast = received > 0 && i == blocks - 1;
        if (!whole && !shortLast) {
            // A missing or cut block before the end leaves a hole in the voice data.
            stopRecorder();
            std::string detail =
                "block " + std::to_string(i + 1) + " of " + std::to_string(blocks) +
                (received > 0
                     ? " arrived only in part (" + std::to_string(received) + " of 528 bytes)"
                     : " did not arrive");
            if (!line.Detail().empty()) detail += " (" + line.Detail() + ")";
            return {received > 0 ? Result::Category::ReplyWrong : Result::Category::LineSilent,
                    detail};
        }
        if (!file.Write(block.data(), static_cast<std::size_t>(received))) {
            stopRecorder();
            return FileFailure(file);
        }
        if (!whole) break;  // a short last block ends the message
    }
    if (!file.Commit()) return FileFailure(file);
    progress->Hide();
    return {};
}
