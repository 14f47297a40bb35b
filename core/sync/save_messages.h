#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/sync/sync_run.h"

// The label of a message of the link's directory as the recorder tree shows it
// ("03: 12-25 14:05 (SP-1:07)").
std::string LabelOfMessage(const RecorderLink& link, int folder, int message);

// Several messages chosen by the user, saved into a folder of theirs at once.
struct SaveMessagesRequest {
    std::vector<std::pair<int, int>> messages;  // folder 0..4 and message 1..100 each
    std::string folder;                         // where they go (made when missing)
    std::string workingFolder;                  // where they are received, with a final '/'
    AudioFormat format = AudioFormat::Wav;
    NamePattern names;
    ProgressFactory progress;  // the link's own displays (Receive, Convert); may be empty
    std::function<void(const SyncProgress&)> onProgress;
    std::function<bool()> cancelled;  // asked between steps; true stops as Cancelled
};

struct SaveMessagesOutcome : Result {
    SaveMessagesOutcome() = default;
    SaveMessagesOutcome(Result result) : Result(std::move(result)) {}

    int saved = 0;
    std::vector<SyncReport> failed;  // each message that was not saved, and why
};

// Each message of the request downloaded and converted through the message-files service
// (the copies in the working folder kept, as Play keeps them) and saved into the folder under
// the sync's naming, never replacing a file: a name that is taken gets _2, _3, ... A message
// that fails is reported and the others go on; a cancel keeps what is finished and leaves no
// partial file. Unlike a sync it keeps no record in the folder: these are the user's own
// copies. The caller's thread, as RunSync.
SaveMessagesOutcome SaveMessagesInto(RecorderLink& link, MessageFiles& files,
                                     const SaveMessagesRequest& request);
