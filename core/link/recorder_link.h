#pragma once
#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/convert/decoder_library.h"
#include "core/link/link_owner.h"
#include "core/link/message_directory.h"
#include "core/link/recorder_protocol.h"
#include "core/link/serial_channel.h"

// The PC's side of the conversation with the recorder: every command frame, its pause and its
// reply check, the message directory, the download on its own thread and the conversion of a
// downloaded message.
//
// Operations report 1 on success and 0 on failure. One exchange at a time: while a connect or
// a download is under way every other command that would talk to the recorder returns 0 at
// once without touching the line (IsBusy tells the owner so it can disable its commands).
class RecorderLink {
public:
    // The recorder's line: 38400 baud, 8 data bits, no parity (0), one stop bit (0).
    static constexpr int kBaudRate = 38400;
    static constexpr int kByteSize = 8;
    static constexpr int kParity = 0;
    static constexpr int kStopBits = 0;
    static constexpr int kDirectoryAttempts = 3;

    RecorderLink();
    virtual ~RecorderLink();  // cancels and waits for a running download first
    RecorderLink(const RecorderLink&) = delete;
    RecorderLink& operator=(const RecorderLink&) = delete;

    // Opens "COM<port>" through owner->DeviceForPort (closing the earlier port; a running
    // download is cancelled and waited for first), shows the port error through the owner when
    // it fails, loads the decoder library, sets m_pOwner and m_bConnected.
    int Initialise(int port, LinkOwner* owner);

    // Single-frame commands.
    int SetMode(int on);
    int ReadDirectory();
    int FetchHeader(int folder, int message);
    int DeleteMessage(int folder, int message);
    int SetTime(int hour, int minute);
    int SetDate(int year, int month, int day);

    // Directory read (three attempts against the marker) and every header, under a
    // cancellable "Connect" progress. 0 on failure or cancel; m_bCancelled tells which.
    int Connect();
    // After DeleteMessage succeeded: moves later entries down one number, and their files too.
    void RemoveEntry(int folder, int message);

    // Starts the download of one message on its own thread; always 1 (a refused start because
    // the link is busy ends at once with a failed completion). The completion reaches the
    // owner through RunOnOwnerThread + OnDownloadComplete while the thread waits for it.
    int StartDownload(int folder, int message);
    // Asks a running download to stop as the progress window's Cancel does. Any thread.
    void CancelDownload();
    // Cancels a running download and waits for its thread; its completion is then not
    // delivered. Owner thread only (the owner's close, a change of port, the destructor).
    void StopDownload();
    bool IsDownloading() const;
    bool IsBusy() const;  // a connect or a download is under way

    // How the last download ended, for owners that tell the user more than "it failed" (the
    // command line tells a full disk from a broken line). Read it in OnDownloadComplete or
    // after StopDownload.
    enum class DownloadEnd {
        None,          // no download has ended yet
        Complete,      // the ".Bin" file holds the whole message
        Cancelled,     // the user cancelled (m_bCancelled is 1)
        Refused,       // another exchange was under way, or the message number is invalid
        NotConnected,  // the port is not open
        NoReply,       // the recorder did not answer the request
        LineBroken,    // a block did not arrive, or only in part, before the last one
        FileError,     // the ".Bin" file could not be created or written
    };
    DownloadEnd LastDownloadEnd() const;
    // The file or line error behind a FileError or LineBroken end, in the system's words.
    std::string LastDownloadError() const;

    // Converts the downloaded "%d_%02d.Bin" of the message into its ".wav" in the working
    // folder under a "Convert" progress; sets the converted flag on success.
    int ConvertToWav(int folder, int message);

    // Full path of a message's file in the owner's working folder.
    std::string MessagePath(int folder, int message, const char* extension) const;
    const DecoderLibrary& Decoder() const { return m_decoder; }

    // Members in the recorder link's traditional order; the owner reads them directly.
    DecoderLibrary m_decoder;
    int m_bConnected = 0;
    LinkOwner* m_pOwner = nullptr;
    int m_nFolder = 0;
    int m_nMessage = 0;
    int m_nMode = 1;
    int m_bCancelled = 0;
    SerialChannel m_serial;
    MessageDirectory m_directory;

private:
    class ExchangeGuard;  // one exchange at a time
    struct DownloadSync;  // the hand-over of the completion to the owner's thread
    struct DownloadOutcome;

    static unsigned DownloadThread(RecorderLink* link);

    // The commands without the exchange guard, for operations that already hold it.
    int DoSetMode(int on);
    int DoReadDirectory();
    int DoFetchHeader(int folder, int message);

    DownloadOutcome RunDownload(const std::shared_ptr<DownloadSync>& sync);
    static void DeliverDownload(RecorderLink* link, const std::shared_ptr<DownloadSync>& sync);
    // Owner's thread: the download's results into the link's members.
    void FinishDownload(DownloadSync& sync);
    void PostRefusedDownload();
    // Joins (or, from within its own completion, lets go of) the previous download thread.
    void ReapDownloadThread();

    RecorderProtocol m_protocol{m_serial};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_cancelRequested{false};  // ends a running connect as a cancel
    std::thread m_downloadThread;
    std::shared_ptr<DownloadSync> m_downloadSync;
    mutable std::mutex m_downloadMutex;  // guards m_downloadSync against CancelDownload
    DownloadEnd m_lastDownloadEnd = DownloadEnd::None;
    std::string m_lastDownloadError;
};
