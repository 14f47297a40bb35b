#pragma once
#include <string>
#include <vector>

#include "core/base/result.h"
#include "core/sync/recording_identity.h"

// What a folder holds of the recorder: one hidden JSON file in it that names each recording
// synced into it (its identity and occurrence) with the file it went to. A second sync reads
// it to fetch only what is new, and it never takes a file for one of its own that it did not
// write.
class SyncManifest {
public:
    static constexpr const char* kFileName = ".sonoret-sync.json";
    static constexpr int kVersion = 1;
    // Far more than a lifetime of recordings; a larger file is not ours.
    static constexpr std::uint64_t kMaxBytes = 16u << 20;

    struct Entry {
        RecordingIdentity identity;
        int occurrence = 1;
        std::string file;    // its name in the folder
        std::string format;  // "wav", "flac", ...
        std::string label;   // the message label when it was synced
        std::string synced;  // when, in UTC: "2025-07-14T10:00:00Z"
    };

    // The manifest of folder (with or without its final separator); an empty one when the
    // folder or the file is not there. FileNotWritten, naming the file and what is wrong with
    // it, when it is there but cannot be ours: not a regular file, too large, not JSON, not
    // in our layout, or of a newer version. Nothing in the folder may then be written.
    Result Load(const std::string& folder);
    // Writes it whole into the folder it was loaded from (a file is replaced whole or not at
    // all); FileNotWritten with the system's reason.
    Result Save() const;

    // The entry of the recording, or null.
    const Entry* Find(const RecordingIdentity& identity, int occurrence) const;
    // Whether the recording was synced into the folder and its file is still there: what the
    // recorder tree marks, and what a sync leaves alone.
    bool HasFileOf(const LoadedRecording& recording) const;
    // Adds the entry, or replaces the one of the same recording.
    void Put(Entry entry);
    // Whether a recording other than this one claims the file name.
    bool ClaimedByAnother(const std::string& file, const RecordingIdentity& identity,
                          int occurrence) const;

    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::string& Path() const { return m_path; }

private:
    Result Refuse(const std::string& why) const;

    std::string m_folder;
    std::string m_path;
    std::vector<Entry> m_entries;
};

// "2025-07-14T10:00:00Z": the time now in UTC, as the manifest keeps it.
std::string UtcTimestampNow();
