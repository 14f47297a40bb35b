#include "core/sync/synced_messages.h"

#include "core/sync/recording_identity.h"
#include "core/sync/sync_manifest.h"

std::vector<SyncedMessage> SyncedMessages(const MessageDirectory& directory,
                                          const std::string& folder) {
    std::vector<SyncedMessage> synced;
    SyncManifest manifest;
    if (folder.empty() || !manifest.Load(folder)) return synced;
    for (const LoadedRecording& recording : LoadedRecordings(directory)) {
        if (!manifest.HasFileOf(recording)) continue;
        const SyncManifest::Entry* entry = manifest.Find(recording.identity, recording.occurrence);
        synced.push_back({recording.folder, recording.message, entry->file});
    }
    return synced;
}
