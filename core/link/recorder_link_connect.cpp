// The connect sequence: the directory, then every header under a cancellable progress.
#include "core/base/quiet_progress.h"
#include "core/link/exchange_guard.h"
#include "core/link/recorder_link.h"
#include "core/res/strings.h"

Result RecorderLink::Connect(const ProgressFactory& factory) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    m_cancelRequested.store(false);
    m_serial.ClearInterrupt();
    Result cancelled(Result::Category::Cancelled, {});

    for (int attempt = 1;; ++attempt) {
        if (Result read = DoReadDirectory(); !read) {
            return m_cancelRequested.load() ? cancelled : read;
        }
        if (m_directory.IsValid()) break;
        if (attempt == kDirectoryAttempts) {
            return {Result::Category::ReplyWrong, "the recorder's directory is not valid"};
        }
    }

    const int total = m_directory.Total();
    m_directory.ClearFlags();

    auto progress = MakeProgress(factory, text::kConnectCaption);
    progress->SetCancelHook([this] {
        m_cancelRequested.store(true);
        m_serial.Interrupt();
    });
    progress->SetRange(0, total, 1);
    progress->SetText(text::kConnectText);
    auto isCancelled = [&] { return progress->CancelPressed() || m_cancelRequested.load(); };

    for (int folder = 0; folder < kFolderCount; ++folder) {
        for (int message = 1; message <= m_directory.Count(folder); ++message) {
            if (Result fetched = DoFetchHeader(folder, message); !fetched) {
                // A cancel that woke the wait for the reply is still a cancel, not a failure.
                return isCancelled() ? cancelled : fetched;
            }
            m_directory.Entry(folder, message).loaded = 1;
            progress->StepIt();
            progress->PeekAndPump(true);
            if (isCancelled()) return cancelled;
        }
    }
    progress->Hide();
    return {};
}
