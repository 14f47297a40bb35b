#include "core/sync/sync_run.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "core/base/counting_progress_display.h"
#include "core/base/folder_lock.h"
#include "core/base/system_error_text.h"
#include "core/base/trailing_worker.h"
#include "core/base/utf8_path.h"
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

// A message the run is to fetch, and the name it is to get (without its extension).
struct Planned {
    LoadedRecording recording;
    std::string stem;
};

// A message on the second thread: what it needs, taken on the link's thread, and what became
// of it.
struct Behind {
    Planned item;
    SyncReport report;
    Clock::time_point start;  // of its download
    Clock::time_point end;
    std::function<ConvertResult()> convert;  // empty when its WAV is here already
    RecordingFile file;
    int rate = 0;  // of its WAV
    bool converted = false;
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
    bool Cancelled() const { return m_request.cancelled && m_request.cancelled(); }

    ProgressFactory Displays(const std::function<void()>& onBlock) const {
        return [this, onBlock](const std::string& caption) -> std::unique_ptr<ProgressDisplay> {
            auto inner = m_request.progress ? m_request.progress(caption) : nullptr;
            const bool receiving = caption == text::kReceiveCaption;
            // A run that stops for its folder stops the message on the line as well.
            return std::make_unique<CountingProgressDisplay>(
                std::move(inner), receiving ? onBlock : std::function<void()>{},
                [this] { return Cancelled() || m_stopping; });
        };
    }

    SyncOutcome Work() {
        SyncOutcome outcome;
        // The folder's record first: a folder whose record cannot be read is not touched, and
        // nothing is asked of the recorder.
        if (Result loaded = m_manifest.Load(m_request.folder); !loaded) return loaded;
        std::error_code ec;
        if (fs::exists(PathFromUtf8(m_request.folder), ec) &&
            !fs::is_directory(PathFromUtf8(m_request.folder), ec)) {
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
        m_outcome = outcome;
        m_started = Clock::now();
        // Each message is received here, then converted, saved and entered in the folder's
        // record on the second thread while the next one is on the line. Its report comes here
        // once that is done, in the order of the messages.
        for (const Planned& item : plan) {
            if (Cancelled()) return End(true);
            const Clock::time_point start = Clock::now();
            SyncReport report = Receive(item);
            m_bytesBefore += report.lineBytes;
            m_progress.bytesDone = m_bytesBefore;
            Catch();
            if (m_stopping) {
                if (report.result && !m_request.keepWorkingCopies) {
                    RemoveWorkingCopies(item.recording);
                    ForgetWorkingCopies(item.recording);
                }
                return End(false);
            }
            // A cancel ends the run; the message it stopped is not a fault of its own.
            if (report.result.Is(Category::Cancelled)) return End(true);
            if (report.result) {
                Hand(item, std::move(report), start);
            } else {
                report.seconds = Since(start);
                Report(report);
            }
        }
        return End(false);
    }

    static SyncOutcome Tell(SyncOutcome outcome, const Result& result) {
        static_cast<Result&>(outcome) = result;
        return outcome;
    }

    // The end of the run, once the message behind is in: cancelled, or with its first fault.
    SyncOutcome End(bool cancelled) {
        Catch();
        return Tell(m_outcome, cancelled ? Result{Category::Cancelled, {}} : m_first);
    }

    // The message on the line: received into the working folder unless its WAV is there
    // already. Meanwhile the message behind is reported as soon as it is done.
    SyncReport Receive(const Planned& item) {
        const LoadedRecording& recording = item.recording;
        SyncReport report;
        report.recording = recording;
        report.label = Label(recording);
        report.lineBytes = LineBytes(recording.identity);
        m_progress.folder = recording.folder;
        m_progress.message = recording.message;
        Publish();
        if (m_files.HasWav(recording.folder, recording.message, m_request.workingFolder)) {
            return report;
        }
        // Nothing is asked of the recorder for a message that could not be converted anyway.
        report.result = m_files.ConversionReadiness();
        if (!report.result) return report;
        auto block = [this] {
            m_progress.bytesDone += kDirectoryBlockSize;
            Publish();
            Launch();
            Catch(true);
        };
        report.result = m_files.EnsureBin(recording.folder, recording.message,
                                          m_request.workingFolder, Displays(block));
        return report;
    }

    // The message whose download ended, for the second thread: converted unless its WAV is
    // here already, saved into the folder and entered in its record. It is finished whole
    // also when a cancel comes meanwhile: the cancel stops the line at once and then waits for
    // it, which is a small part of the message's time on the line.
    void Hand(const Planned& item, SyncReport report, Clock::time_point start) {
        const LoadedRecording& recording = item.recording;
        Behind& behind = m_behind.emplace();
        behind.item = item;
        behind.report = std::move(report);
        behind.start = start;
        if (!m_files.HasWav(recording.folder, recording.message, m_request.workingFolder)) {
            behind.convert = m_files.ConversionTask(recording.folder, recording.message,
                                                    m_request.workingFolder);
        }
        behind.file = DescribeRecording(recording, behind.report.label, m_request.format);
        behind.rate = SampleRateForMode(m_link.Mode());
        m_launched = false;
    }

    // The message behind goes to the second thread once the next one's transfer is under way:
    // its request and the recorder's first reply, where the line waits on the program, come
    // first.
    void Launch() {
        if (!m_behind || m_launched) return;
        m_launched = true;
        m_worker.Start([this, &behind = *m_behind] { Complete(behind); });
    }

    // On the second thread: what Hand asked for. It touches the folder, its lock and its record,
    // which nothing else touches meanwhile, and the working copies' files; never the link.
    void Complete(Behind& behind) {
        const LoadedRecording& recording = behind.item.recording;
        if (behind.convert) {
            const ConvertResult converted = behind.convert();
            behind.converted = static_cast<bool>(converted);
            behind.report.result = converted;
        }
        if (behind.report.result) {
            behind.report.result = Save(behind);
            if (!m_request.keepWorkingCopies) RemoveWorkingCopies(recording);
        }
        behind.end = Clock::now();
    }

    // The message behind, once the second thread is done with it: the directory's flags set
    // and its report made. Waits for it, or with ifDone takes it only when it is done already.
    void Catch(bool ifDone = false) {
        if (!m_behind || (ifDone && (!m_launched || !m_worker.Done()))) return;
        Launch();
        m_worker.Wait();
        Behind behind = std::move(*m_behind);
        m_behind.reset();
        const LoadedRecording& recording = behind.item.recording;
        if (!m_request.keepWorkingCopies && behind.report.result) {
            ForgetWorkingCopies(recording);
        } else if (behind.converted) {
            m_files.MarkConverted(recording.folder, recording.message);
        }
        behind.report.seconds = std::chrono::duration<double>(behind.end - behind.start).count();
        // A folder that cannot be written, or whose record cannot be, takes no more: and
        // without its record it would take its files for strangers next time.
        if (m_folderFailed) m_stopping = true;
        Report(behind.report);
    }

    // One message done: counted, shown and told.
    void Report(const SyncReport& report) {
        ++m_progress.done;
        Publish();
        if (m_request.onMessage) m_request.onMessage(report);
        if (report.result) {
            ++m_outcome.fetched;
            m_outcome.lineBytes += report.lineBytes;
            m_outcome.fileBytes += report.fileBytes;
        } else {
            ++m_outcome.failed;
            if (m_first) m_first = report.result;
        }
    }

    Result LockFolder() {
        std::error_code ec;
        if (!fs::is_directory(PathFromUtf8(m_request.folder), ec))
            return {};  // locked once it is made
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
        if (!fs::is_directory(PathFromUtf8(m_request.folder), ec) &&
            !fs::create_directories(PathFromUtf8(m_request.folder), ec) && ec) {
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

    // On the second thread.
    Result Save(Behind& behind) {
        const LoadedRecording& recording = behind.item.recording;
        SyncReport& report = behind.report;
        const std::string wav =
            MessageFilePath(m_request.workingFolder, recording.folder, recording.message, ".wav");
        if (Result made = MakeFolder(); !made) {
            m_folderFailed = true;
            return made;
        }
        WrittenFile written =
            SaveRecordingAs(wav, behind.file, m_request.folder, behind.item.stem,
                            [&](const std::string& name) { return Taken(name, recording); });
        if (!written) return written;
        report.name = Utf8FromPath(PathFromUtf8(written.path).filename());
        report.fileBytes = written.bytes;
        std::error_code ec;
        const auto wavBytes = fs::file_size(PathFromUtf8(wav), ec);
        if (!ec && wavBytes > kWavHeaderBytes) {
            report.audioSeconds = static_cast<double>(wavBytes - kWavHeaderBytes) / 2 / behind.rate;
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
            fs::remove(PathFromUtf8(written.path), ec);
            report.name.clear();
            report.fileBytes = 0;
            m_folderFailed = true;
            return saved;
        }
        return {};
    }

    // On the second thread: the files. The link's thread then forgets them.
    void RemoveWorkingCopies(const LoadedRecording& recording) const {
        std::error_code ec;
        for (const char* extension : {".Bin", ".wav"}) {
            fs::remove(PathFromUtf8(MessageFilePath(m_request.workingFolder, recording.folder,
                                                    recording.message, extension)),
                       ec);
        }
    }

    void ForgetWorkingCopies(const LoadedRecording& recording) {
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
    SyncOutcome m_outcome;           // of the run under way, as its messages are reported
    Result m_first;                  // its first fault
    std::optional<Behind> m_behind;  // the message on the second thread
    bool m_folderFailed = false;     // the second thread's: the folder or its record failed
    bool m_launched = false;         // it is on the second thread
    bool m_stopping = false;         // the run takes no more messages
    TrailingWorker m_worker;         // last: it goes first, once its job is done
};

}  // namespace

SyncOutcome RunSync(RecorderLink& link, MessageFiles& files, const SyncRequest& request) {
    return SyncRun(link, files, request).Run();
}
