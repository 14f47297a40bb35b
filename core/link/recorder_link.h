#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <utility>

#include "core/base/background_job.h"
#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/link/download_job.h"
#include "core/link/message_directory.h"
#include "core/link/recorder_protocol.h"
#include "core/link/serial_channel.h"

// The PC's side of the conversation with the recorder: it owns the serial channel, the
// protocol session on it, the message directory and the download, and lets one exchange use
// the line at a time. What a request needs from its caller (the working folder, where to show
// progress, how to reach the caller's thread) comes with the request.
//
// Every operation returns a Result. While a connect or a download is under way every other
// operation that would talk to the recorder ends at once as Busy, without touching the line.
class RecorderLink {
public:
    // The recorder's line: 38400 baud, 8 data bits, no parity (0), one stop bit (0).
    static constexpr int kBaudRate = 38400;
    static constexpr int kByteSize = 8;
    static constexpr int kParity = 0;
    static constexpr int kStopBits = 0;
    static constexpr int kDirectoryAttempts = 3;

    // What StartDownload needs from its caller.
    struct DownloadRequest {
        std::string workingFolder;           // with a final separator: the ".Bin" goes here
        ProgressFactory progress;            // called on the download's own thread
        TaskPoster post;                     // reaches the caller's thread
        BackgroundJob::Completion complete;  // runs there, the download's thread waiting
    };

    RecorderLink() = default;
    ~RecorderLink();  // cancels and waits for a running download first
    RecorderLink(const RecorderLink&) = delete;
    RecorderLink& operator=(const RecorderLink&) = delete;

    // Opens the device (closing the earlier port; a running download is cancelled and waited
    // for first, a running connect ends as cancelled). PortNotOpened, with the device and the
    // system's reason, when it cannot be opened.
    Result Initialise(const std::string& device);

    // Single-frame commands (Ok, or why not). SetMode(on) also learns the recorder variant.
    Result SetMode(int on);
    Result ReadDirectory();  // mode on, then the directory
    Result FetchHeader(int folder, int message);
    Result DeleteMessage(int folder, int message);
    Result SetTime(int hour, int minute);
    Result SetDate(int year, int month, int day);

    // Directory read (three attempts against the marker) and every header, under the
    // "Connect" progress. Cancelled when the user cancelled.
    Result Connect(const ProgressFactory& progress);
    // After DeleteMessage succeeded: later entries move down one number, and their copies in
    // workingFolder with them (MessageDirectory::RemoveEntry).
    Result RemoveEntry(int folder, int message, const std::string& workingFolder);

    // The download of one message into workingFolder on the calling thread; marks it
    // downloaded when the file is whole.
    Result Download(int folder, int message, const std::string& workingFolder,
                    const ProgressFactory& progress);
    // The same on a thread of its own. The completion runs through the request's poster on
    // the caller's thread (marked downloaded first when whole); a start that is refused (the
    // line busy, no such message, no working folder) ends at once with a completion of its
    // own.
    void StartDownload(int folder, int message, DownloadRequest request);
    // Asks a running download to stop as its progress window's Cancel does. Any thread.
    void CancelDownload();
    // Cancels a running download and waits for its thread; its completion is then not
    // delivered, but a whole file is still marked downloaded. Owner's thread.
    void StopDownload();
    bool IsDownloading() const;
    // The message of the last download started: folder 0..4, message 1..100.
    std::pair<int, int> DownloadTarget() const { return {m_nFolder, m_nMessage}; }

    // Asks the operation under way (a connect, a download) to stop as its Cancel does: it ends
    // as Cancelled, without another wait for the recorder. Any thread.
    void Cancel();

    bool IsBusy() const { return m_busy.load(); }  // a connect or a download is under way
    bool IsConnected() const { return m_serial.IsOpen(); }
    // The recorder variant of the last mode reply: 1 or 2 (1 until a recorder answered).
    int Mode() const { return m_nMode; }
    const MessageDirectory& Directory() const { return m_directory; }
    MessageDirectory& Directory() { return m_directory; }
    // The line itself: its reply time-out and wire trace, and the command line's interrupt.
    SerialChannel& Channel() { return m_serial; }

private:
    class ExchangeGuard;  // one exchange at a time

    // The commands without the exchange guard, for operations that already hold it.
    Result DoReadDirectory();
    Result DoFetchHeader(int folder, int message);
    // The owner's thread: a whole download marked, the line free again.
    void FinishDownload(int folder, int message, const Result& result);

    int m_nFolder = 0;
    int m_nMessage = 1;
    int m_nMode = 1;
    SerialChannel m_serial;
    RecorderProtocol m_protocol{m_serial};
    MessageDirectory m_directory;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_cancelRequested{false};    // ends a running connect as a cancel
    DownloadJob m_download{m_protocol, m_serial};  // last: it goes first
};
