#pragma once
#include <string>
#include <vector>

#include "core/link/message_directory.h"

// A message of the recorder whose recording a folder holds already, and its file there.
struct SyncedMessage {
    int folder = 0;    // 0..4
    int message = 0;   // 1..100
    std::string file;  // its name in the folder
};

// The loaded messages of the directory that were synced into folder and whose files are
// still there, in folder and message order: what the recorder tree marks. None when the
// folder has no record of ours (or one that cannot be read).
std::vector<SyncedMessage> SyncedMessages(const MessageDirectory& directory,
                                          const std::string& folder);
