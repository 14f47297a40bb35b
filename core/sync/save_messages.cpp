#include "core/sync/save_messages.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/base/counting_progress_display.h"
#include "core/base/system_error_text.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/sync/recording_file.h"

namespace {

namespace fs = std::filesystem;
using Category = Result::Category;

// The recording of a loaded message, as the sync knows it.
std::optional<LoadedRecording> RecordingOf(const MessageDirectory& directory, int folder,
                                           int message) {
    for (const LoadedRecording& recording : LoadedRecordings(directory)) {
        if (recording.folder == folder && recording.message == message) return recording;
    }
    return std::nullopt;
}

// The message of the report downloaded, converted and saved; its recording, label, line bytes
// and name filled in as they become known.
Result SaveOne(RecorderLink& link, MessageFiles& files, const SaveMessagesRequest& request,
               const ProgressFactory& displays, SyncReport& report) {
    const int folder = report.recording.folder;
    const int message = report.recording.message;
    const auto recording = RecordingOf(link.Directory(), folder, message);
    if (!recording) return {Category::BadRequest, {}};
    report.recording = *recording;
    report.label = LabelOfMessage(link, folder, message);
    report.lineBytes = LineBytes(recording->identity);
    if (Result wav = files.EnsureWav(folder, message, request.workingFolder, displays); !wav) {
        return wav;
    }
    std::error_code ec;
    if (!fs::is_directory(request.folder, ec) && !fs::create_directories(request.folder, ec) &&
        ec) {
        return {Category::FileNotWritten,
                "cannot write into " + request.folder + ": " + SystemErrorText(ec)};
    }
    WrittenFile written =
        SaveRecordingAs(MessageFilePath(request.workingFolder, folder, message, ".wav"),
                        DescribeRecording(*recording, report.label, request.format), request.folder,
                        request.names.Expand(*recording), {}, request.cancelled);
    if (written) report.name = fs::path(written.path).filename().string();
    return written;
}

// Cancelled, with what was saved until then.
SaveMessagesOutcome Stopped(SaveMessagesOutcome outcome) {
    static_cast<Result&>(outcome) = Result{Category::Cancelled, {}};
    return outcome;
}

}  // namespace

std::string LabelOfMessage(const RecorderLink& link, int folder, int message) {
    const MessageHeader& header = link.Directory().Entry(folder, message).header;
    return MessageLabel(message, header, link.Mode(), DateFromValue(header.DateValue()));
}

SaveMessagesOutcome SaveMessagesInto(RecorderLink& link, MessageFiles& files,
                                     const SaveMessagesRequest& request) {
    SaveMessagesOutcome outcome;
    auto cancelled = [&request] { return request.cancelled && request.cancelled(); };
    SyncProgress progress;
    progress.total = static_cast<int>(request.messages.size());
    for (const auto& [folder, message] : request.messages) {
        if (const auto recording = RecordingOf(link.Directory(), folder, message)) {
            progress.bytesTotal += LineBytes(recording->identity);
        }
    }
    auto publish = [&] {
        progress.secondsLeft = LineSeconds(progress.bytesTotal > progress.bytesDone
                                               ? progress.bytesTotal - progress.bytesDone
                                               : 0);
        if (request.onProgress) request.onProgress(progress);
    };
    // The blocks of each download count towards the whole.
    const ProgressFactory displays = [&](const std::string& caption) {
        auto inner = request.progress ? request.progress(caption) : nullptr;
        std::function<void()> onBlock;
        if (caption == text::kReceiveCaption) {
            onBlock = [&] {
                progress.bytesDone += kDirectoryBlockSize;
                publish();
            };
        }
        return std::make_unique<CountingProgressDisplay>(std::move(inner), onBlock,
                                                         request.cancelled);
    };

    std::uint64_t bytesBefore = 0;
    for (const auto& [folder, message] : request.messages) {
        if (cancelled()) return Stopped(outcome);
        progress.folder = folder;
        progress.message = message;
        publish();
        SyncReport report;
        report.recording.folder = folder;
        report.recording.message = message;
        report.result = SaveOne(link, files, request, displays, report);
        bytesBefore += report.lineBytes;
        progress.bytesDone = bytesBefore;
        ++progress.done;
        publish();
        if (report.result.Is(Category::Cancelled)) return Stopped(outcome);
        if (report.result) {
            ++outcome.saved;
        } else {
            if (outcome.failed.empty()) static_cast<Result&>(outcome) = report.result;
            outcome.failed.push_back(std::move(report));
        }
    }
    return outcome;
}
