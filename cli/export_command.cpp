// sonoret export F M [-o FILE] | export --all [-o DIR]: messages downloaded and converted to
// WAV files, at the rate of the recorder's own mode.
#include "cli/export_command.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/interruption.h"
#include "cli/recorder_session.h"
#include "cli/staging_folder.h"
#include "cli/terminal_progress.h"
#include "core/convert/frame_table.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"

namespace fs = std::filesystem;

bool LoadDecoderForCli(DecoderLibrary& decoder, std::ostream& err) {
    if (decoder.Load() == DecoderLibrary::Status::Ready) return true;
    err << text::kConvertFailed << "\n(" << ConvertStatusName(ConvertStatus::DecoderMissing) << ": "
        << decoder.Error() << ")\n";
    return false;
}

ConvertResult ConvertForCli(const std::string& binPath, const std::string& target, int mode,
                            const DecoderLibrary& decoder, std::ostream* terminal) {
    ConvertOptions options;
    options.interrupted = [] { return interruption::Raised(); };
    return ConvertBinToWav(
        binPath, target, mode, DecoderEntries::From(decoder),
        [terminal] { return std::make_unique<TerminalProgress>(text::kConvertCaption, terminal); },
        options);
}

int ConversionExitStatus(const ConvertResult& result, const std::string& subject,
                         std::ostream& err) {
    switch (result.status) {
        case ConvertStatus::Ok:
            return kExitOk;
        case ConvertStatus::Interrupted:
            return kExitInterrupted;
        case ConvertStatus::OutputUnwritable:
        case ConvertStatus::WriteFailed:
            err << "sonoret: " << result.detail << "\n";
            return kExitOutput;
        case ConvertStatus::TooLong:
            err << text::kConvertFailed << "\n(" << subject << ": "
                << ConvertStatusName(result.status) << ")\n";
            return kExitConversion;
        default:
            err << text::kConvertFailed << "\n("
                << (result.detail.empty() ? ConvertStatusName(result.status) : result.detail)
                << ")\n";
            return kExitConversion;
    }
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
    .summary = "download messages and convert them to WAV files",
    // Both forms' words: which of them a form takes, Run tells.
    .positionals = {{.name = "F", .optional = true}, {.name = "M", .optional = true}},
    .options = {{.names = {"-o", "--output"},
                 .value = "PATH",
                 .help = "the WAV file (F M) or the folder (--all, created when\n"
                         "missing); default the current folder, with the names\n"
                         "the window program gives: <F-1>_<MM>.wav (0_03.wav)"},
                {.names = {"--all"}, .help = "every message of every folder"}},
    .description =
        "Downloads message M (1-100) of folder F (1-5), or every message of the\n"
        "recorder, and converts it into a mono 16-bit WAV file at the recorder's own\n"
        "sampling rate (7200 or 8000 samples per second, as its mode reply says).\n"
        "Each file appears only when it is whole; a file of the same name is replaced.\n"
        "Ctrl-C stops the recorder and leaves no partial file behind.",
    .epilogue =
        "With --all a message that cannot be converted is reported and skipped; the\n"
        "exit status then is 4 once the others are done.",
    .forms = {"F M [-o FILE]", "--all [-o DIR]"},
    .countError = "export needs a folder and a message number, or --all",
};

class ExportCommand : public Command {
public:
    explicit ExportCommand(CliContext& context) : Command(kExportSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
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
        return ExportOne(folder, message, OutputPath(given, WavFileName(folder, message)), out,
                         err);
    }

private:
    std::ostream* Terminal(std::ostream& err) const {
        return m_context.progressBars ? &err : nullptr;
    }

    std::string Label(RecorderLink& link, int folder, int message) const {
        const MessageHeader& header = link.m_directory.Entry(folder, message).header;
        return MessageLabel(message, header, link.m_nMode, link.DateFromValue(header.DateValue()));
    }

    int ExportOne(int folder, int message, const std::string& target, std::ostream& out,
                  std::ostream& err) {
        // Nothing is asked of the recorder when the result could not be converted anyway.
        DecoderLibrary decoder;
        if (!LoadDecoderForCli(decoder, err)) return kExitConversion;
        StagingFolder staging;
        if (!staging.Create(target)) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        if (const int status = session.ReadDirectory()) return status;
        if (const int status = session.RequireMessage(folder, message)) return status;
        RecorderLink& link = session.Link();
        if (!link.FetchHeader(folder, message)) return session.Failure(text::kCommError);
        session.Owner().SetWorkingFolder(staging.Path());
        if (const int status = session.Download(folder, message, target)) return status;
        const int mode = link.m_nMode;
        const std::string label = Label(link, folder, message);
        session.End();  // the recorder is not needed for the conversion

        const std::string bin = staging.Path() + BinFileName(folder, message);
        const ConvertResult result = ConvertForCli(bin, target, mode, decoder, Terminal(err));
        if (const int status = ConversionExitStatus(result, target, err)) return status;
        out << target << ": " << label << ", " << AudioLength(result, mode) << "\n";
        return kExitOk;
    }

    int ExportAll(const std::string& given, std::ostream& out, std::ostream& err) {
        DecoderLibrary decoder;
        if (!LoadDecoderForCli(decoder, err)) return kExitConversion;
        const std::string folderPath = given.empty() ? "." : given;
        std::error_code ec;
        fs::create_directories(folderPath, ec);
        if (!fs::is_directory(folderPath, ec)) {
            err << "sonoret: cannot write into " << folderPath << ": not a folder\n";
            return kExitOutput;
        }
        StagingFolder staging;
        if (!staging.Create((fs::path(folderPath) / "x").string())) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        // The directory and the header of every message, for the labels.
        if (const int status = session.Connect()) return status;
        RecorderLink& link = session.Link();
        session.Owner().SetWorkingFolder(staging.Path());

        int exported = 0, status = kExitOk;
        for (int folder = 0; folder < kFolderCount; ++folder) {
            for (int message = 1; message <= session.Count(folder); ++message) {
                const std::string target =
                    (fs::path(folderPath) / WavFileName(folder, message)).string();
                if (const int end = session.Download(folder, message, target)) return end;
                const std::string bin = staging.Path() + BinFileName(folder, message);
                const ConvertResult result =
                    ConvertForCli(bin, target, link.m_nMode, decoder, Terminal(err));
                fs::remove(bin, ec);
                const int end = ConversionExitStatus(result, target, err);
                if (end == kExitConversion) {
                    // One message that cannot be converted does not stop the others.
                    err << "sonoret: " << target << " skipped\n";
                    status = kExitConversion;
                    continue;
                }
                if (end != kExitOk) return end;
                out << target << ": " << Label(link, folder, message) << ", "
                    << AudioLength(result, link.m_nMode) << "\n";
                ++exported;
            }
        }
        session.End();
        if (exported == 0 && status == kExitOk) err << "sonoret: the recorder holds no messages\n";
        return status;
    }

    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakeExportCommand(CliContext& context) {
    return std::make_unique<ExportCommand>(context);
}
