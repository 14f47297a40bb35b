#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/encode/audio_format.h"
#include "core/link/recorder_link.h"
#include "core/messages/message_files.h"
#include "core/sync/file_naming.h"
#include "core/sync/recording_identity.h"

// Where a sync stands, for a progress display: messages done of all, bytes from the recorder,
// and the time left at the rate measured so far (at the line's own rate until there is one).
struct SyncProgress {
    int done = 0;   // messages finished, fetched or failed
    int total = 0;  // messages this run fetches
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    double secondsLeft = 0;
    int folder = 0;   // the message under way: folder 0..4,
    int message = 0;  // message 1..100 (0 before the first)
};

// One message done (or, in a dry run, one that would be fetched), as soon as it is done.
struct SyncReport {
    LoadedRecording recording;
    std::string label;            // its label on the recorder ("03: 12-25 14:05 (SP-1:07)")
    std::string name;             // its file in the folder (a dry run: the name it would get)
    std::uint64_t lineBytes = 0;  // what the recorder sends for it
    std::uint64_t fileBytes = 0;  // the size of its file
    double seconds = 0;           // the time it took (a dry run: the line's time for it)
    double audioSeconds = 0;      // the length of the recording
    bool dryRun = false;
    Result result;  // how it ended; the name is empty when it failed before one was chosen
};

// What a sync is asked to do. Everything it needs comes with it, so the command line and the
// window run the same sync, each with its own progress, cancel and reports.
struct SyncRequest {
    std::string folder;         // where the recordings go (made when missing)
    std::string workingFolder;  // where messages are received and converted, with a final '/'
    AudioFormat format = AudioFormat::Wav;
    NamePattern names;
    bool missing = false;  // fetch again what the folder's record has but its file is gone
    bool dryRun = false;   // tell what would be fetched; fetch and write nothing
    bool connect = true;   // read the directory and headers first (else the link's are fresh)
    // Keep the ".Bin" and ".wav" in the working folder (the window's, where Play finds them);
    // otherwise each goes once its recording is saved.
    bool keepWorkingCopies = true;
    ProgressFactory progress;  // the link's own displays (Connect, Receive, Convert); may be empty
    std::function<void(const SyncProgress&)> onProgress;
    std::function<void(const SyncReport&)> onMessage;
    std::function<bool()> cancelled;  // asked between steps; true stops the sync as Cancelled
};

// How a sync ended: its first fault (or Cancelled), else Ok, with what it did.
struct SyncOutcome : Result {
    SyncOutcome() = default;
    SyncOutcome(Result result) : Result(std::move(result)) {}

    bool connected = false;  // the directory and headers were read
    int loaded = 0;          // recordings on the recorder
    int already = 0;         // of them in the folder already (or deleted there by the user)
    int planned = 0;         // of them to fetch
    int fetched = 0;
    int failed = 0;
    std::uint64_t lineBytes = 0;  // received from the recorder (a dry run: to receive)
    std::uint64_t fileBytes = 0;  // written into the folder
    double seconds = 0;           // the time it took (a dry run: the line's time)
};

// Gets every loaded message of the recorder that the folder does not hold yet, in folder and
// message order: downloaded and converted through the message-files service, saved under a
// name from request.names that no file has, with its recording time, and entered in the
// folder's record (SyncManifest) at once. A message that fails is reported and the others go
// on; the next sync fetches what is missing. A cancel keeps what is finished and leaves no
// partial file. The caller has opened the link and ends the session (mode off) after. It runs
// on the caller's thread, and so do its displays and callbacks: the window runs it on its
// runner's worker and posts what it shows. Only each message's conversion, saving and entry in
// the record run on a second thread, while the next message is on the line; a message whose
// download has ended is finished whole, also when a cancel comes meanwhile.
SyncOutcome RunSync(RecorderLink& link, MessageFiles& files, const SyncRequest& request);
