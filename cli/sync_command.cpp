// sonoret sync [-o DIR] [--format F] [--name PATTERN] [--missing] [--dry-run] [--json]: every
// recording not yet in DIR downloaded, converted and saved under a name of its own.
#include <cstdio>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/exit_status.h"
#include "cli/export_command.h"
#include "cli/interruption.h"
#include "cli/recorder_session.h"
#include "cli/recording_options.h"
#include "cli/staging_folder.h"
#include "cli/sync_progress_line.h"
#include "cli/terminal_progress.h"
#include "core/base/json.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"
#include "core/sync/sync_fault_words.h"
#include "core/sync/sync_manifest.h"
#include "core/sync/sync_run.h"

namespace {

const CommandSyntax kSyncSyntax{
    .name = "sync",
    .summary = "get every recording not yet in a folder, dated, never overwriting",
    .options = {{.names = {"-o", "--output"},
                 .value = "DIR",
                 .help = "the folder (made when missing); default the current one"},
                FormatOption(),
                NameOption(),
                {.names = {"--missing"},
                 .help = "fetch again recordings synced before whose file is gone"},
                {.names = {"--dry-run"},
                 .help = "only tell what would be fetched, its size and the line's time"},
                {.names = {"--json"},
                 .help = "one JSON object a line per message done, then a summary"}},
    .description =
        "Connects, then downloads and converts every message of the recorder that is not\n"
        "yet in DIR, in folder and message order, and saves each under a name of its own\n"
        "with its recording time as the file's time. A recording is known by what the\n"
        "recorder stores about it (quality, length, time and date), not by its number, so\n"
        "deleting messages on the recorder changes nothing here. DIR keeps the list of\n"
        "what was synced into it in the hidden file .sonoret-sync.json; a file you\n"
        "delete from DIR is not fetched again unless --missing is given. A file is never\n"
        "replaced: a name that is taken gets _2, _3, ... before its extension.",
    .epilogue =
        "A message that fails is reported and the others go on; the exit status then is\n"
        "3 (the recorder), 4 (conversion) or 6 (a file), and the next sync fetches what\n"
        "is missing. Ctrl-C keeps every finished file and leaves no partial one.",
};

JsonValue IdentityJson(const LoadedRecording& recording) {
    JsonValue identity = JsonValue::Object();
    identity.Set("quality", recording.identity.quality)
        .Set("length", recording.identity.length)
        .Set("time", recording.identity.time)
        .Set("date", recording.identity.date)
        .Set("occurrence", recording.occurrence);
    return identity;
}

double Tenths(double seconds) {
    return static_cast<double>(static_cast<long long>(seconds * 10 + 0.5)) / 10;
}

class SyncCommand : public Command {
public:
    explicit SyncCommand(CliContext& context) : Command(kSyncSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        if (!parsed.positional.empty())
            return UsageError(*this, err, "unexpected argument " + parsed.positional.front());
        RecordingOptions options;
        if (const auto end = ReadRecordingOptions(*this, parsed, err, &options)) return *end;
        m_json = parsed.Has("--json");
        const bool dryRun = parsed.Has("--dry-run");
        const std::string folder = parsed.Option("-o").value_or(".");

        // A folder whose record is not ours is named before anything is asked of the recorder.
        SyncManifest manifest;
        if (const Result usable = manifest.Load(folder); !usable) {
            err << "sonoret: " << usable.Detail() << "\n";
            return ExitStatusFor(usable);
        }
        RecorderSession session(m_context, err);
        if (!dryRun && !LoadDecoderForCli(session.Decoder(), err)) return kExitConversion;
        // Messages are received beside DIR until DIR is made, with the first file.
        StagingFolder staging;
        if (!dryRun && !staging.Create(NearestExistingFolder(folder) + "/x")) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        if (const int status = session.Open()) return status;

        SyncProgressLine line(m_context.progressBars ? &err : nullptr);
        std::ostream* terminal = m_context.progressBars ? &err : nullptr;
        SyncRequest request;
        request.folder = folder;
        request.workingFolder = staging.Path();
        request.format = options.format;
        request.names = options.names;
        request.missing = parsed.Has("--missing");
        request.dryRun = dryRun;
        request.keepWorkingCopies = false;
        // The connect has its bar; a message's download and conversion show on the sync's line.
        request.progress = [terminal](const std::string& caption) {
            return std::make_unique<TerminalProgress>(
                caption, caption == text::kConnectCaption ? terminal : nullptr);
        };
        request.onProgress = [&line](const SyncProgress& progress) { line.Show(progress); };
        request.onMessage = [&](const SyncReport& report) {
            line.Clear();
            Report(report, out, err);
        };
        request.cancelled = [] { return interruption::Raised(); };
        const SyncOutcome outcome = RunSync(session.Link(), session.Files(), request);
        line.Clear();
        session.End();

        if (!outcome.connected) {
            if (outcome.Is(Result::Category::FileNotWritten) ||
                outcome.Is(Result::Category::Busy)) {
                err << "sonoret: " << outcome.Detail() << "\n";
                return ExitStatusFor(outcome);
            }
            return session.Failure(outcome, text::kCommError);
        }
        if (outcome.Is(Result::Category::Cancelled) || interruption::Raised())
            return ExitStatusFor({Result::Category::Cancelled, {}});
        Summary(outcome, folder, dryRun, out);
        out.flush();
        if (!outcome) return ExitStatusFor(outcome);
        return out ? kExitOk : kExitOutput;
    }

private:
    void Report(const SyncReport& report, std::ostream& out, std::ostream& err) const {
        const std::string where = FolderBaseName(report.recording.folder) + " " + report.label;
        if (!report.result) {
            err << "sonoret: " << where << " not synced: " << SyncFaultWords(report.result);
            if (!report.result.Detail().empty()) err << " (" << report.result.Detail() << ")";
            err << "\n";
        }
        if (m_json) {
            JsonValue item = JsonValue::Object();
            item.Set("name", report.name)
                .Set("folder", report.recording.folder + 1)
                .Set("message", report.recording.message)
                .Set("label", report.label)
                .Set("identity", IdentityJson(report.recording))
                .Set("bytes", report.lineBytes)
                .Set("seconds", Tenths(report.seconds));
            if (report.dryRun) {
                item.Set("dry_run", true);
            } else if (report.result) {
                item.Set("file_bytes", report.fileBytes)
                    .Set("audio_seconds", Tenths(report.audioSeconds));
            } else {
                item.Set("error", std::string(SyncFaultWords(report.result)) +
                                      (report.result.Detail().empty()
                                           ? ""
                                           : " (" + report.result.Detail() + ")"));
            }
            out << item.Text() << "\n" << std::flush;
            return;
        }
        if (!report.result) return;
        char numbers[96];
        if (report.dryRun) {
            std::snprintf(numbers, sizeof numbers, ", %s, %s on the line",
                          ByteCount(report.lineBytes).c_str(), Duration(report.seconds).c_str());
        } else {
            std::snprintf(numbers, sizeof numbers, ", %.1f s, %s", report.audioSeconds,
                          ByteCount(report.fileBytes).c_str());
        }
        out << report.name << ": " << where << numbers << "\n" << std::flush;
    }

    void Summary(const SyncOutcome& outcome, const std::string& folder, bool dryRun,
                 std::ostream& out) const {
        if (m_json) {
            JsonValue summary = JsonValue::Object();
            summary.Set("folder", folder)
                .Set("on_recorder", outcome.loaded)
                .Set("already_there", outcome.already)
                .Set(dryRun ? "to_fetch" : "fetched", dryRun ? outcome.planned : outcome.fetched)
                .Set("failed", outcome.failed)
                .Set("bytes", outcome.lineBytes)
                .Set("seconds", Tenths(outcome.seconds));
            if (!dryRun) summary.Set("file_bytes", outcome.fileBytes);
            out << JsonValue::Object().Set("summary", std::move(summary)).Text() << "\n";
            return;
        }
        if (dryRun) {
            out << outcome.planned << " to fetch into " << folder << ", "
                << ByteCount(outcome.lineBytes) << ", " << Duration(outcome.seconds)
                << " on the line; " << outcome.already << " already there\n";
            return;
        }
        out << outcome.fetched << " fetched into " << folder << ", " << outcome.already
            << " already there";
        if (outcome.failed > 0) out << ", " << outcome.failed << " failed";
        out << "\n";
    }

    CliContext& m_context;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeSyncCommand(CliContext& context) {
    return std::make_unique<SyncCommand>(context);
}
