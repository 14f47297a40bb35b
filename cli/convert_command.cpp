// sonoret convert IN.Bin [OUT.wav] [--mode 1|2]: a ".Bin" file on the PC into a WAV file,
// without a recorder.
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/export_command.h"
#include "cli/staging_folder.h"

namespace fs = std::filesystem;

namespace {

// The recorder's 8000 samples per second variant, which is also the rate our codec codes at.
constexpr int kDefaultMode = 2;

// IN with ".wav" for its ".Bin" (any case), or ".wav" appended; the name only, no folder.
std::string DefaultWavName(const std::string& input) {
    fs::path name = fs::path(input).filename();
    std::string extension = name.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".bin") name.replace_extension();
    return name.string() + ".wav";
}

const CommandSyntax kConvertSyntax{
    .name = "convert",
    .summary = "convert a downloaded .Bin file into a WAV file",
    .positionals = {{.name = "IN.Bin"},
                    {.name = "OUT.wav",
                     .optional = true,
                     .help = "the WAV file, or a folder to put it in; default IN with the\n"
                             "extension .wav, in the current folder"}},
    .options = {{.names = {"--mode"},
                 .value = "1|2",
                 .help = "the recorder variant the message comes from: 1 records at\n"
                         "7200 samples per second, 2 at 8000 (default 2). `sonoret list\n"
                         "--json` shows a recorder's mode."},
                // OUT.wav as the other commands name their output.
                {.names = {"-o", "--output"}, .value = "FILE"}},
    .description =
        "Decodes the recorder's coded voice in IN.Bin (as `sonoret fetch` or the window\n"
        "program saved it) into a mono 16-bit WAV file. The file appears only when it is\n"
        "whole; a file of the same name is replaced. No recorder is needed.",
    .countError = "convert needs the .Bin file and at most one output",
    .labelWidth = 15,
};

class ConvertCommand : public Command {
public:
    explicit ConvertCommand(CliContext& context) : Command(kConvertSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        int mode = kDefaultMode;
        if (const auto text = parsed.Option("--mode")) {
            const auto value = ParseInteger(*text, 1, 2);
            if (!value) return UsageError(*this, err, "--mode is 1 or 2");
            mode = static_cast<int>(*value);
        }
        const auto named = parsed.Option("-o");
        if (named && parsed.positional.size() > 1)
            return UsageError(*this, err, Syntax().countError);
        const std::string input = parsed.positional[0];
        const std::string given = named                           ? *named
                                  : parsed.positional.size() == 2 ? parsed.positional[1]
                                                                  : "";
        const std::string target = OutputPath(given, DefaultWavName(input));

        DecoderLibrary decoder;
        if (!LoadDecoderForCli(decoder, err)) return kExitConversion;
        const ConvertResult result =
            ConvertForCli(input, target, mode, decoder, m_context.progressBars ? &err : nullptr);
        if (const int status = ConversionExitStatus(result, input, err)) return status;
        out << target << ": " << AudioLength(result, mode) << "\n";
        return kExitOk;
    }

private:
    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakeConvertCommand(CliContext& context) {
    return std::make_unique<ConvertCommand>(context);
}
