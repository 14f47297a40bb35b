#include "core/sync/sync_run.h"

#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "core/base/folder_lock.h"
#include "core/base/system_error_text.h"
#include "core/convert/wav_converter.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/sync/recording_file.h"
#include "core/sync/sync_manifest.h"

namespace {

namespace fs = std::filesystem;
using Category = Result::Category;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The link's own progress display, passed through to the caller's, that counts the blocks of
// a download as they come and adds the sync's cancel to its own.
class CountingDisplay final : public ProgressDisplay {
public:
    CountingDisplay(std::unique_ptr<ProgressDisplay> inner, std::function<void()> onBlock,
                    const std::function<bool()>& cancelled)
        : m_inner(std::move(inner)), m_onBlock(std::move(onBlock)), m_cancelled(cancelled) {}

    void SetRange(int lower, int upper, int step) override {
        if (m_inner) m_inner->SetRange(lower, upper, step);
    }
    void SetText(const std::string& text) override {
        if (m_inner) m_inner->SetText(text);
    }
    int StepIt() override {
        if (m_onBlock) m_onBlock();
        return m_inner ? m_inner->StepIt() : ++m_position;
    }
    void PeekAndPump(bool cancelOnEscape) override {
        if (m_inner) m_inner->PeekAndPump(cancelOnEscape);
    }
    bool CancelPressed() const override {
        return (m_cancelled && m_cancelled()) || (m_inner && m_inner->CancelPressed());
    }
    void Hide() override {
        if (m_inner) m_inner->Hide();
    }
    void SetCancelHook(std::function<void()> hook) override {
        if (m_inner) m_inner->SetCancelHook(std::move(hook));
    }

private:
    std::unique_ptr<ProgressDisplay> m_inner;
    std::function<void()> m_onBlock;
    const std::function<bool()>& m_cancelled;
    int m_position = 0;
};

class SyncRun {
public:
    SyncRun(RecorderLink& link, MessageFiles& files, const SyncRequest& request)
        : m_link(link), m_files(files), m_request(request) {}

    SyncOutcome Run() {
        const Clock::time_point start = Clock::now();
        SyncOutcome outcome = Work();
        outcome.seconds = m_request.dryRun ? outcome.seconds : Since(start);
        return outcome;
    }

private:
    struct Planned {
        LoadedRecording recording;
        std::string stem;  // the name without its extension
    };

    bool Cancelled() const { return m_request.cancelled && m_request.cancelled(); }

    ProgressFactory Displays(std::function<void()> onBlock) const {
        return [this, onBlock](const std::string& caption) -> std::unique_ptr<ProgressDisplay> {
            auto inner = m_request.progress ? m_request.progress(caption) : nullptr;
            const bool receiving = caption == text::kReceiveCaption;
            return std::make_unique<CountingDisplay>(std::move(inner),
                                                     receiving ? onBlock : std::function<void()>{},
                                                     m_request.cancelled);
        };
    }

    SyncOutcome Work() {
        SyncOutcome outcome;
        // The folder's record first: a folder whose record cannot be read is not touched, and
        // nothing is asked of the recorder.
        if (Result loaded = m_manifest.Load(m_request.folder); !loaded) return loaded;
        std::error_code ec;
        if (fs::exists(m_request.folder, ec) && !fs::is_directory(m_request.folder, ec)) {
            return Result{Category::FileNotWritten,
                          "cannot write into " + m_request.folder + ": not a folder"};
        }
        if (!m_request.dryRun) {
            if (Result locked = LockFolder(); !locked) return locked;
        }
        if (m_request.connect) {
            if (Result connected = m_link.Connect(Displays({})); !connected) return connected;
        }
        outcome.connected = true;
        if (Cancelled()) return Tell(outcome, {Category::Cancelled, {}});

        const std::vector<Planned> plan = Plan(outcome);
        for (const Planned& item : plan) outcome.lineBytes += LineBytes(item.recording.identity);
        if (m_request.dryRun) return DryRun(plan, outcome);

        m_progress.total = outcome.planned;
        m_progress.bytesTotal = outcome.lineBytes;
        outcome.lineBytes = 0;
        m_started = Clock::now();
        Result first;
        for (const Planned& item : plan) {
            if (Cancelled()) return Tell(outcome, {Category::Cancelled, {}});
            const SyncReport report = Fetch(item);
            ++m_progress.done;
            m_progress.bytesDone = m_bytesBefore += report.lineBytes;
            Publish();
            // A cancel ends the run; the message it stopped is not a fault of its own.
            if (report.result.Is(Category::Cancelled)) return Tell(outcome, report.result);
            if (m_request.onMessage) m_request.onMessage(report);
            if (report.result) {
                ++outcome.fetched;
                outcome.lineBytes += report.lineBytes;
                outcome.fileBytes += report.fileBytes;
            } else {
                ++outcome.failed;
                if (first) first = report.result;
                // A folder that cannot be written, or whose record cannot be, takes no more: and
                // without its record it would take its files for strangers next time.
                if (m_folderFailed) return Tell(outcome, first);
            }
        }
        return Tell(outcome, first);
    }

    static SyncOutcome Tell(SyncOutcome outcome, const Result& result) {
        static_cast<Result&>(outcome) = result;
        return outcome;
    }

    Result LockFolder() {
        std::error_code ec;
        if (!fs::is_directory(m_request.folder, ec)) return {};  // locked once it is made
        std::string error;
        switch (m_lock.Lock(m_request.folder, &error)) {
            case FolderLock::Result::Locked:
                return {};
            case FolderLock::Result::Taken:
                return {Category::Busy, "another sync into " + m_request.folder + " is under way"};
            case FolderLock::Result::Failed:
                break;
        }
        return {Category::FileNotWritten, "cannot write into " + error};
    }

    Result MakeFolder() {
        std::error_code ec;
        if (!fs::is_directory(m_request.folder, ec) &&
            !fs::create_directories(m_request.folder, ec) && ec) {
            return {Category::FileNotWritten,
                    "cannot write into " + m_request.folder + ": " + SystemErrorText(ec)};
        }
        return m_lock.Held() ? Result{} : LockFolder();
    }

    std::vector<Planned> Plan(SyncOutcome& outcome) const {
        std::vector<Planned> plan;
        for (const LoadedRecording& recording : LoadedRecordings(m_link.Directory())) {
            ++outcome.loaded;
            std::string stem = m_request.names.Expand(recording);
            if (const auto* entry = m_manifest.Find(recording.identity, recording.occurrence)) {
                // There, or deleted by the user, who wants it gone unless --missing says not.
                if (m_manifest.HasFileOf(recording) || !m_request.missing) {
                    ++outcome.already;
                    continue;
                }
                // Fetched again under its old name, when it is to be of the same format.
                const std::string extension = AudioFormatExtension(m_request.format);
                if (entry->file.size() > extension.size() &&
                    entry->file.compare(entry->file.size() - extension.size(), extension.size(),
                                        extension) == 0) {
                    stem = entry->file.substr(0, entry->file.size() - extension.size());
                }
            }
            plan.push_back({recording, std::move(stem)});
        }
        outcome.planned = static_cast<int>(plan.size());
        return plan;
    }

    std::string Label(const LoadedRecording& recording) const {
        const MessageHeader& header =
            m_link.Directory().Entry(recording.folder, recording.message).header;
        return MessageLabel(recording.message, header, m_link.Mode(),
                            DateFromValue(header.DateValue()));
    }

    SyncOutcome DryRun(const std::vector<Planned>& plan, SyncOutcome outcome) {
        std::set<std::string> named;
        for (const Planned& item : plan) {
            SyncReport report;
            report.recording = item.recording;
            report.label = Label(item.recording);
            report.dryRun = true;
            report.lineBytes = LineBytes(item.recording.identity);
            report.seconds = LineSeconds(report.lineBytes);
            report.name = FreeFileName(
                item.stem, AudioFormatExtension(m_request.format), [&](const std::string& name) {
                    return named.count(name) || Taken(name, item.recording) ||
                           PathTaken(PathInFolder(m_request.folder, name));
                });
            named.insert(report.name);
            if (m_request.onMessage) m_request.onMessage(report);
        }
        outcome.seconds = LineSeconds(outcome.lineBytes);
        return outcome;
    }

    bool Taken(const std::string& name, const LoadedRecording& recording) const {
        return m_manifest.ClaimedByAnother(name, recording.identity, recording.occurrence);
    }

    void Publish() {
        if (!m_request.onProgress) return;
        const std::uint64_t left = m_progress.bytesTotal > m_progress.bytesDone
                                       ? m_progress.bytesTotal - m_progress.bytesDone
                                       : 0;
        const double elapsed = Since(m_started);
        // The rate measured once there is something to measure; the line's own rate before.
        m_progress.secondsLeft =
            m_progress.bytesDone > 0 && elapsed > 0.5
                ? static_cast<double>(left) * elapsed / static_cast<double>(m_progress.bytesDone)
                : LineSeconds(left);
        m_request.onProgress(m_progress);
    }

    SyncReport Fetch(const Planned& item) {
        const Clock::time_point start = Clock::now();
        const LoadedRecording& recording = item.recording;
        SyncReport report;
        report.recording = recording;
        report.label = Label(recording);
        report.lineBytes = LineBytes(recording.identity);
        m_progress.folder = recording.folder;
        m_progress.message = recording.message;
        Publish();

        auto block = [this] {
            m_progress.bytesDone += kDirectoryBlockSize;
            Publish();
        };
        const ConvertResult converted = m_files.EnsureWav(recording.folder, recording.message,
                                                          m_request.workingFolder, Displays(block));
        m_progress.bytesDone = m_bytesBefore;
        if (!converted) {
            report.result = converted;
            report.seconds = Since(start);
            return report;
        }
        const std::string wav =
            MessageFilePath(m_request.workingFolder, recording.folder, recording.message, ".wav");
        report.result = Save(item, wav, report);
        if (!m_request.keepWorkingCopies) DropWorkingCopies(recording);
        report.seconds = Since(start);
        return report;
    }

    Result Save(const Planned& item, const std::string& wav, SyncReport& report) {
        const LoadedRecording& recording = item.recording;
        if (Result made = MakeFolder(); !made) {
            m_folderFailed = true;
            return made;
        }
        const RecordingFile file = DescribeRecording(recording, report.label, m_request.format);
        const WrittenFile written = SaveRecordingAs(
            wav, file, m_request.folder, item.stem,
            [&](const std::string& name) { return Taken(name, recording); }, m_request.cancelled);
        if (!written) return written;
        report.name = fs::path(written.path).filename().string();
        report.fileBytes = written.bytes;
        std::error_code ec;
        const auto wavBytes = fs::file_size(wav, ec);
        if (!ec && wavBytes > kWavHeaderBytes) {
            report.audioSeconds = static_cast<double>(wavBytes - kWavHeaderBytes) / 2 /
                                  SampleRateForMode(m_link.Mode());
        }

        SyncManifest::Entry entry;
        entry.identity = recording.identity;
        entry.occurrence = recording.occurrence;
        entry.file = report.name;
        entry.format = AudioFormatName(m_request.format);
        entry.label = report.label;
        entry.synced = UtcTimestampNow();
        m_manifest.Put(std::move(entry));
        if (Result saved = m_manifest.Save(); !saved) {
            // A file the record does not name would be taken for a stranger's next time and
            // fetched again beside itself: it goes, and the next sync fetches it afresh.
            fs::remove(written.path, ec);
            report.name.clear();
            report.fileBytes = 0;
            m_folderFailed = true;
            return saved;
        }
        return {};
    }

    void DropWorkingCopies(const LoadedRecording& recording) {
        std::error_code ec;
        for (const char* extension : {".Bin", ".wav"}) {
            fs::remove(MessageFilePath(m_request.workingFolder, recording.folder, recording.message,
                                       extension),
                       ec);
        }
        MessageEntry& entry = m_link.Directory().Entry(recording.folder, recording.message);
        entry.downloaded = 0;
        entry.converted = 0;
    }

    RecorderLink& m_link;
    MessageFiles& m_files;
    const SyncRequest& m_request;
    SyncManifest m_manifest;
    FolderLock m_lock;
    SyncProgress m_progress;
    std::uint64_t m_bytesBefore = 0;  // of the messages finished
    Clock::time_point m_started = Clock::now();
    bool m_folderFailed = false;
};

}  // namespace

SyncOutcome RunSync(RecorderLink& link, MessageFiles& files, const SyncRequest& request) {
    return SyncRun(link, files, request).Run();
}
