// sonoret export F M [-o FILE] | export --all [-o DIR]: messages downloaded and converted to
// WAV files, at the rate of the recorder's own mode.
#include "cli/export_command.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/exit_status.h"
#include "cli/interruption.h"
#include "cli/recorder_session.h"
#include "cli/recording_options.h"
#include "cli/staging_folder.h"
#include "cli/terminal_progress.h"
#include "core/base/system_error_text.h"
#include "core/base/utf8_path.h"
#include "core/convert/frame_table.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/sync/recording_file.h"

namespace fs = std::filesystem;

bool LoadDecoderForCli(DecoderLibrary& decoder, std::ostream& err) {
    decoder.Load();
    const Result ready = decoder.Readiness();
    if (ready) return true;
    err << text::kConvertFailed << "\n(" << ready.Detail() << ")\n";
    return false;
}

ConvertResult ConvertForCli(const std::string& binPath, const std::string& target, int mode,
                            const DecoderLibrary& decoder, std::ostream* terminal) {
    ConvertOptions options;
    options.interrupted = [] { return interruption::Raised(); };
    return ConvertBinToWav(
        binPath, target, mode, DecoderEntries::From(decoder),
        [terminal](const std::string& caption) {
            return std::make_unique<TerminalProgress>(caption, terminal);
        },
        options);
}

int ConversionExitStatus(const ConvertResult& result, const std::string& subject,
                         std::ostream& err) {
    const int status = ExitStatusFor(result);
    if (status == kExitOk || status == kExitInterrupted) return status;
    switch (result.GetCategory()) {
        case Result::Category::FileNotWritten:
            err << "sonoret: " << result.Detail() << "\n";
            break;
        case Result::Category::ConversionFailed:
            err << text::kConvertFailed << "\n(" << subject << ": " << result.Detail() << ")\n";
            break;
        default:
            err << text::kConvertFailed << "\n(" << result.Detail() << ")\n";
            break;
    }
    return status;
}

std::string AudioLength(const ConvertResult& result, int mode) {
    const int rate = SampleRateForMode(mode);
    char text[96];
    std::snprintf(text, sizeof text, "%.1f s at %d samples per second",
                  static_cast<double>(result.blocks * kPcmBlockSamples) / rate, rate);
    return text;
}

namespace {

const CommandSyntax kExportSyntax{
    .name = "export",
    .summary = "download messages and convert them to WAV (or compressed) files",
    // Both forms' words: which of them a form takes, Run tells.
    .positionals = {{.name = "F", .optional = true}, {.name = "M", .optional = true}},
    .options = {{.names = {"-o", "--output"},
                 .value = "PATH",
                 .help = "the file (F M; replaced when it is there) or the folder\n"
                         "(--all: created when missing); default the current folder"},
                {.names = {"--all"}, .help = "every message of every folder"},
                FormatOption(),
                NameOption()},
    .description =
        "Downloads message M (1-100) of folder F (1-5), or every message of the\n"
        "recorder, and converts it into a mono 16-bit WAV file at the recorder's own\n"
        "sampling rate (7200 or 8000 samples per second, as its mode reply says), or\n"
        "into the --format given. In a folder each file is named by --name, from its\n"
        "recording date and time by default, and no file there is ever replaced: a name\n"
        "that is taken gets _2, _3, ... before its extension. Only a file named with -o\n"
        "is replaced. Each file has its recording time as its own and appears only when\n"
        "it is whole; Ctrl-C stops the recorder and leaves no partial file behind.",
    .epilogue =
        "With --all a message that cannot be converted is reported and skipped; the\n"
        "exit status then is 4 once the others are done.",
    .forms = {"F M [-o FILE|DIR] [--format FORMAT] [--name PATTERN]",
              "--all [-o DIR] [--format FORMAT] [--name PATTERN]"},
    .countError = "export needs a folder and a message number, or --all",
};

// Where an exported recording goes: a file the user named, or a folder where it is named
// by the pattern.
struct Destination {
    std::string folder;  // empty when file is set
    std::string file;
};

class ExportCommand : public Command {
public:
    explicit ExportCommand(CliContext& context) : Command(kExportSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        if (const auto end = ReadRecordingOptions(*this, parsed, err, &m_options)) return *end;
        const std::string given = parsed.Option("-o").value_or("");
        if (parsed.Has("--all")) {
            if (!parsed.positional.empty()) {
                return UsageError(*this, err, "export --all takes no folder or message");
            }
            return ExportAll(given, out, err);
        }
        if (parsed.positional.size() != 2) return UsageError(*this, err, Syntax().countError);
        int folder = 0, message = 0;
        if (const auto end = FolderAndMessage(parsed, err, &folder, &message)) return *end;
        std::error_code ec;
        Destination destination;
        if (given.empty() || fs::is_directory(PathFromUtf8(given), ec)) {
            destination.folder = given;  // empty: the current folder
        } else {
            destination.file = given;
            // A file named x.flac is a FLAC file, unless --format says otherwise.
            const auto named = AudioFormatFromPath(given);
            if (!m_options.formatGiven && named) m_options.format = *named;
            if (!AudioFormatAvailable(m_options.format)) {
                return UsageError(*this, err, AudioFormatUnavailable(m_options.format));
            }
        }
        return ExportOne(folder, message, destination, out, err);
    }

private:
    static std::string Label(const RecorderLink& link, int folder, int message) {
        const MessageHeader& header = link.Directory().Entry(folder, message).header;
        return MessageLabel(message, header, link.Mode(), DateFromValue(header.DateValue()));
    }

    // The converted message in the staging folder saved where it goes, as a file of its own.
    WrittenFile Save(const RecorderLink& link, int folder, int message, const std::string& wav,
                     const Destination& destination) const {
        const LoadedRecording recording{
            folder, message, IdentityOf(link.Directory().Entry(folder, message).header), 1};
        const RecordingFile file =
            DescribeRecording(recording, Label(link, folder, message), m_options.format);
        const auto interrupted = [] { return interruption::Raised(); };
        if (!destination.file.empty())
            return SaveRecordingOver(wav, file, destination.file, interrupted);
        return SaveRecordingAs(wav, file, destination.folder, m_options.names.Expand(recording), {},
                               interrupted);
    }

    int ExportOne(int folder, int message, const Destination& destination, std::ostream& out,
                  std::ostream& err) {
        RecorderSession session(m_context, err);
        // Nothing is asked of the recorder when the result could not be converted anyway.
        if (!LoadDecoderForCli(session.Decoder(), err)) return kExitConversion;
        const std::string subject = !destination.file.empty()    ? destination.file
                                    : destination.folder.empty() ? std::string(".")
                                                                 : destination.folder;
        StagingFolder staging;
        const std::string beside = !destination.file.empty()    ? destination.file
                                   : destination.folder.empty() ? std::string("x")
                                                                : destination.folder + "/x";
        if (!staging.Create(beside)) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        if (const int status = session.Open()) return status;
        if (const int status = session.ReadDirectory()) return status;
        if (const int status = session.RequireMessage(folder, message)) return status;
        RecorderLink& link = session.Link();
        if (const Result header = link.FetchHeader(folder, message); !header) {
            return session.Failure(header, text::kCommError);
        }
        // The staging folder is this command's working folder for the ".Bin" and the ".wav".
        MessageFiles& files = session.Files();
        const Result fetched = files.EnsureBin(folder, message, staging.Path(), session.Progress());
        if (!fetched) return session.DownloadFailure(fetched, subject);
        const int mode = link.Mode();
        session.End();  // the recorder is not needed for the conversion

        const ConvertResult result =
            files.ConvertToWav(folder, message, staging.Path(), session.Progress());
        if (const int status = ConversionExitStatus(result, subject, err)) return status;
        const WrittenFile written =
            Save(link, folder, message, MessageFilePath(staging.Path(), folder, message, ".wav"),
                 destination);
        if (const int status = ConversionExitStatus(written, subject, err)) return status;
        out << written.path << ": " << Label(link, folder, message) << ", "
            << AudioLength(result, mode) << "\n";
        return kExitOk;
    }

    int ExportAll(const std::string& given, std::ostream& out, std::ostream& err) {
        RecorderSession session(m_context, err);
        if (!LoadDecoderForCli(session.Decoder(), err)) return kExitConversion;
        const fs::path folder = given.empty() ? fs::path(".") : PathFromUtf8(given);
        // The folder is made only once there is something to write into it, so that a
        // recorder that cannot be reached leaves nothing behind; meanwhile the messages are
        // received in the nearest folder that is there.
        const fs::path existing = PathFromUtf8(NearestExistingFolder(Utf8FromPath(folder)));
        std::error_code ec;
        if (!fs::is_directory(existing, ec)) {
            err << "sonoret: cannot write into " << Utf8FromPath(folder) << ": not a folder\n";
            return kExitOutput;
        }
        StagingFolder staging;
        if (!staging.Create(Utf8FromPath(existing / "x"))) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        if (const int status = session.Open()) return status;
        // The directory and the header of every message, for the labels and the names.
        if (const int status = session.Connect()) return status;
        RecorderLink& link = session.Link();
        MessageFiles& files = session.Files();
        const Destination destination{given, {}};

        int exported = 0, status = kExitOk;
        for (int f = 0; f < kFolderCount; ++f) {
            for (int message = 1; message <= session.Count(f); ++message) {
                const std::string subject = FolderBaseName(f) + " " + Label(link, f, message);
                const Result fetched =
                    files.EnsureBin(f, message, staging.Path(), session.Progress());
                if (!fetched) return session.DownloadFailure(fetched, Utf8FromPath(folder));
                if (!fs::is_directory(folder, ec) && !fs::create_directories(folder, ec)) {
                    err << "sonoret: cannot write into " << Utf8FromPath(folder) << ": "
                        << SystemErrorText(ec) << "\n";
                    return kExitOutput;
                }
                const ConvertResult result =
                    files.ConvertToWav(f, message, staging.Path(), session.Progress());
                WrittenFile written;
                if (result) {
                    written =
                        Save(link, f, message, MessageFilePath(staging.Path(), f, message, ".wav"),
                             destination);
                }
                for (const char* extension : {".Bin", ".wav"})
                    fs::remove(PathFromUtf8(MessageFilePath(staging.Path(), f, message, extension)),
                               ec);
                const ConvertResult ended = result ? ConvertResult(written) : result;
                const int end = ConversionExitStatus(ended, subject, err);
                if (end == kExitConversion) {
                    // One message that cannot be converted does not stop the others.
                    err << "sonoret: " << subject << " skipped\n";
                    status = kExitConversion;
                    continue;
                }
                if (end != kExitOk) return end;
                out << written.path << ": " << Label(link, f, message) << ", "
                    << AudioLength(result, link.Mode()) << "\n";
                ++exported;
            }
        }
        session.End();
        if (exported == 0 && status == kExitOk) err << "sonoret: the recorder holds no messages\n";
        return status;
    }

    CliContext& m_context;
    RecordingOptions m_options;
};

}  // namespace

std::unique_ptr<Command> MakeExportCommand(CliContext& context) {
    return std::make_unique<ExportCommand>(context);
}
