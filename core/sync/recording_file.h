#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "core/base/result.h"
#include "core/encode/audio_encoder.h"
#include "core/encode/audio_format.h"
#include "core/sync/recording_identity.h"

// One recording saved from its converted WAV into a folder of the user's, whole or not at all,
// with the time it was recorded as its modification time.
struct RecordingFile {
    AudioFormat format = AudioFormat::Wav;
    AudioTags tags;
    std::time_t recorded = 0;  // the file's modification time
};

// The file of a loaded recording: its recording time, and as tags its label (the title), that
// time (the date) and where it was on the recorder (the comment).
RecordingFile DescribeRecording(const LoadedRecording& recording, const std::string& label,
                                AudioFormat format);

struct WrittenFile : Result {
    WrittenFile() = default;
    WrittenFile(Result result) : Result(std::move(result)) {}

    std::string path;         // where it went
    std::uint64_t bytes = 0;  // its size
};

// Saves the recording into folder (with or without its final separator) as stem plus the
// format's extension, or, where that name is taken (a file is there, or taken says so),
// stem_2, stem_3, ...; never replaces a file, also when one appears there meanwhile.
WrittenFile SaveRecordingAs(const std::string& wavPath, const RecordingFile& recording,
                            const std::string& folder, const std::string& stem,
                            const std::function<bool(const std::string& name)>& taken,
                            const std::function<bool()>& interrupted = {});

// Saves the recording at exactly path, replacing a file there (a file the user named).
WrittenFile SaveRecordingOver(const std::string& wavPath, const RecordingFile& recording,
                              const std::string& path,
                              const std::function<bool()>& interrupted = {});

// True when something (a file, a folder, a link, even a broken one) has the name path.
bool PathTaken(const std::string& path);
// name in folder: "folder/name", or name alone for an empty folder (the current one).
std::string PathInFolder(const std::string& folder, const std::string& name);
