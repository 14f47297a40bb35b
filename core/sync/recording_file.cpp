#include "core/sync/recording_file.h"

#include <filesystem>
#include <system_error>

#include "core/base/staged_output_file.h"
#include "core/base/utf8_path.h"
#include "core/link/message_label.h"
#include "core/sync/file_naming.h"

namespace {

using Category = Result::Category;

// Encodes into out, which Create made; the caller commits.
Result Encode(const std::string& wavPath, const RecordingFile& recording, StagedOutputFile& out,
              const std::function<bool()>& interrupted) {
    out.SetModificationTime(recording.recorded);
    return EncodeRecording(wavPath, recording.format, recording.tags, out, interrupted);
}

WrittenFile Written(const std::string& path) {
    WrittenFile written;
    written.path = path;
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(PathFromUtf8(path), ec);
    if (!ec) written.bytes = static_cast<std::uint64_t>(bytes);
    return written;
}

}  // namespace

RecordingFile DescribeRecording(const LoadedRecording& recording, const std::string& label,
                                AudioFormat format) {
    const RecordingTime when = RecordingTimeOf(recording.identity);
    RecordingFile file;
    file.format = format;
    file.recorded = when.When();
    file.tags.title = label;
    file.tags.date = when.Iso();
    file.tags.comment =
        FolderBaseName(recording.folder) + ", message " + std::to_string(recording.message);
    return file;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool PathTaken(const std::string& path) {
    // A link counts as taken, whatever it leads to (or whether it leads anywhere).
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(PathFromUtf8(path), ec));
}

WrittenFile SaveRecordingAs(const std::string& wavPath, const RecordingFile& recording,
                            const std::string& folder, const std::string& stem,
                            const std::function<bool(const std::string& name)>& taken,
                            const std::function<bool()>& interrupted) {
    const std::string extension = AudioFormatExtension(recording.format);
    auto occupied = [&](const std::string& name) {
        return (taken && taken(name)) || PathTaken(PathInFolder(folder, name));
    };
    std::string name = FreeFileName(stem, extension, occupied);
    StagedOutputFile out;
    out.SetNoReplace();
    if (!out.Create(PathInFolder(folder, name)))
        return Result(Category::FileNotWritten, out.Error());
    if (Result encoded = Encode(wavPath, recording, out, interrupted); !encoded) return encoded;
    // A file that appeared under the chosen name meanwhile stays: the next free name is taken.
    for (int attempt = 0; !out.Commit(); ++attempt) {
        if (!out.TargetExists() || attempt == 1000) {
            return Result(Category::FileNotWritten,
                          out.TargetExists() ? "no free name for " + PathInFolder(folder, stem)
                                             : out.Error());
        }
        name = FreeFileName(stem, extension, occupied);
        out.Retarget(PathInFolder(folder, name));
    }
    return Written(PathInFolder(folder, name));
}

WrittenFile SaveRecordingOver(const std::string& wavPath, const RecordingFile& recording,
                              const std::string& path, const std::function<bool()>& interrupted) {
    StagedOutputFile out;
    if (!out.Create(path)) return Result(Category::FileNotWritten, out.Error());
    out.KeepModeOf(path);
    if (Result encoded = Encode(wavPath, recording, out, interrupted); !encoded) return encoded;
    if (!out.Commit()) return Result(Category::FileNotWritten, out.Error());
    return Written(path);
}
