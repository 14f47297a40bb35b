#include "core/sync/sync_manifest.h"

#include <cstdio>
#include <ctime>

#include "core/base/calendar_time.h"
#include "core/base/json.h"
#include "core/base/small_file.h"
#include "core/base/staged_output_file.h"
#include "core/sync/recording_file.h"

namespace {

using Category = Result::Category;

// The number member key of an object within [lowest, highest].
bool Whole(const JsonValue& object, const char* key, int lowest, int highest, int& value) {
    const JsonValue* member = object.Find(key);
    if (!member) return false;
    const auto number = member->Integer(lowest, highest);
    if (!number) return false;
    value = static_cast<int>(*number);
    return true;
}

bool Text(const JsonValue& object, const char* key, std::string& value) {
    const JsonValue* member = object.Find(key);
    if (!member || !member->IsString()) return false;
    value = member->String();
    return true;
}

bool ReadEntry(const JsonValue& item, SyncManifest::Entry& entry) {
    if (!item.IsObject()) return false;
    const JsonValue* identity = item.Find("identity");
    if (!identity || !identity->IsObject()) return false;
    RecordingIdentity& id = entry.identity;
    return Whole(*identity, "quality", 0, 3, id.quality) &&
           Whole(*identity, "length", 0, 0xFFFF, id.length) &&
           Whole(*identity, "time", 0, 0xFFFF, id.time) &&
           Whole(*identity, "date", 0, 0xFFFF, id.date) &&
           Whole(item, "occurrence", 1, 500, entry.occurrence) && Text(item, "file", entry.file) &&
           !entry.file.empty() && entry.file.find('/') == std::string::npos &&
           Text(item, "format", entry.format) && Text(item, "label", entry.label) &&
           Text(item, "synced", entry.synced);
}

JsonValue EntryJson(const SyncManifest::Entry& entry) {
    JsonValue identity = JsonValue::Object();
    identity.Set("quality", entry.identity.quality)
        .Set("length", entry.identity.length)
        .Set("time", entry.identity.time)
        .Set("date", entry.identity.date);
    JsonValue item = JsonValue::Object();
    item.Set("identity", std::move(identity))
        .Set("occurrence", entry.occurrence)
        .Set("file", entry.file)
        .Set("format", entry.format)
        .Set("label", entry.label)
        .Set("synced", entry.synced);
    return item;
}

}  // namespace

Result SyncManifest::Refuse(const std::string& why) const {
    return {Category::FileNotWritten,
            m_path + " " + why + "; nothing is written into its folder until it is moved away"};
}

Result SyncManifest::Load(const std::string& folder) {
    m_entries.clear();
    m_folder = folder;
    m_path = PathInFolder(folder, kFileName);

    // Not followed through a link, and never a pipe or a device to wait on.
    SmallFile file = ReadSmallFile(m_path, kMaxBytes, false);
    switch (file.kind) {
        case SmallFile::Kind::Regular:
            break;
        case SmallFile::Kind::Missing:
            return {};
        case SmallFile::Kind::Link:
            return Refuse("is a symbolic link, not the folder's own record");
        case SmallFile::Kind::TooLarge:
            return Refuse("is too large to be ours");
        case SmallFile::Kind::Unreadable:
            return Refuse("cannot be read: " + file.reason);
        default:
            return Refuse("is not a regular file");
    }
    const std::string& text = file.text;

    std::string error;
    const std::optional<JsonValue> document = ParseJson(text, &error);
    if (!document) return Refuse("is not JSON (" + error + ")");
    int version = 0;
    if (!document->IsObject() || !Whole(*document, "version", 1, 1 << 30, version))
        return Refuse("is not a sync record of this program");
    if (version > kVersion) return Refuse("was written by a newer version of this program");
    const JsonValue* recordings = document->Find("recordings");
    if (!recordings || !recordings->IsArray())
        return Refuse("is not a sync record of this program");
    for (const JsonValue& item : recordings->Items()) {
        Entry entry;
        if (!ReadEntry(item, entry)) return Refuse("has a recording it cannot tell");
        Put(std::move(entry));
    }
    return {};
}

Result SyncManifest::Save() const {
    JsonValue recordings = JsonValue::Array();
    for (const Entry& entry : m_entries) recordings.Append(EntryJson(entry));
    JsonValue document = JsonValue::Object();
    document.Set("version", kVersion).Set("recordings", std::move(recordings));
    const std::string text = document.Text(2) + "\n";

    StagedOutputFile out;
    if (!out.Create(m_path) ||
        !out.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) ||
        !out.Commit()) {
        return {Category::FileNotWritten, out.Error()};
    }
    return {};
}

const SyncManifest::Entry* SyncManifest::Find(const RecordingIdentity& identity,
                                              int occurrence) const {
    for (const Entry& entry : m_entries) {
        if (entry.identity == identity && entry.occurrence == occurrence) return &entry;
    }
    return nullptr;
}

bool SyncManifest::HasFileOf(const LoadedRecording& recording) const {
    const Entry* entry = Find(recording.identity, recording.occurrence);
    return entry && PathTaken(PathInFolder(m_folder, entry->file));
}

void SyncManifest::Put(Entry entry) {
    for (Entry& existing : m_entries) {
        if (existing.identity == entry.identity && existing.occurrence == entry.occurrence) {
            existing = std::move(entry);
            return;
        }
    }
    m_entries.push_back(std::move(entry));
}

bool SyncManifest::ClaimedByAnother(const std::string& file, const RecordingIdentity& identity,
                                    int occurrence) const {
    for (const Entry& entry : m_entries) {
        if (entry.file == file && !(entry.identity == identity && entry.occurrence == occurrence))
            return true;
    }
    return false;
}

std::string UtcTimestampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    UtcCalendarTime(now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}
