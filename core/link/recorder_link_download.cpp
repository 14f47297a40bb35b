// The download of one message, on the caller's thread or on its own.
#include "core/link/exchange_guard.h"
#include "core/link/recorder_link.h"

Result RecorderLink::Download(int folder, int message, const std::string& workingFolder,
                              const ProgressFactory& progress) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    if (Result request = CheckMessageFiles(folder, message, workingFolder); !request)
        return request;
    m_nFolder = folder;
    m_nMessage = message;
    Result result = m_download.Run(
        folder, message, MessageFilePath(workingFolder, folder, message, ".Bin"), progress);
    if (result) m_directory.Entry(folder, message).downloaded = 1;
    return result;
}

void RecorderLink::StartDownload(int folder, int message, DownloadRequest request) {
    ExchangeGuard guard(m_busy);
    Result check = guard ? CheckMessageFiles(folder, message, request.workingFolder)
                         : ExchangeGuard::Refused();
    if (check) {
        m_nFolder = folder;
        m_nMessage = message;
        // Its completion sets the directory's flag and frees the line on the owner's thread,
        // where the owner reads them, before the owner hears of the end.
        auto complete = [this, folder, message, done = request.complete](const Result& result) {
            FinishDownload(folder, message, result);
            if (done) done(result);
        };
        if (m_download.Start(folder, message,
                             MessageFilePath(request.workingFolder, folder, message, ".Bin"),
                             std::move(request.progress), request.post, std::move(complete))) {
            guard.Keep();  // the completion gives the line back
            return;
        }
        check = {Result::Category::Busy, "the download could not be started"};
    }
    if (!request.complete) return;
    auto tell = [done = std::move(request.complete), check] { done(check); };
    if (request.post) {
        request.post(std::move(tell));
    } else {
        tell();
    }
}

void RecorderLink::FinishDownload(int folder, int message, const Result& result) {
    if (result) m_directory.Entry(folder, message).downloaded = 1;
    m_busy.store(false, std::memory_order_release);
}

void RecorderLink::CancelDownload() {
    m_download.Cancel();
}

void RecorderLink::StopDownload() {
    // A download stopped before its completion still leaves the link as it ended: a whole file
    // is marked downloaded, a cancelled one is not, and the line is free again.
    if (const auto undelivered = m_download.Stop()) {
        FinishDownload(m_nFolder, m_nMessage, *undelivered);
    }
}

bool RecorderLink::IsDownloading() const {
    return m_download.IsRunning();
}
