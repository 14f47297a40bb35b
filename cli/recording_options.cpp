#include "cli/recording_options.h"

OptionSyntax FormatOption() {
    return {.names = {"--format"},
            .value = "FORMAT",
            .help =
                "wav (as the conversion writes it; the default), flac,\n"
                "ogg (Vorbis), opus or mp3; these four are tagged with\n"
                "the message label, recording date, folder and message",
            .needs = "a format: " + AudioFormatNames()};
}

OptionSyntax NameOption() {
    return {.names = {"--name"},
            .value = "PATTERN",
            .help = std::string("the files' names: %Y %m %d %H %M %S the recording's\n"
                                "date and time, %f folder 1-5, %n message number,\n"
                                "%q quality (SP, MP, LP), %% a %; by default\n") +
                    NamePattern::kDefault,
            .needs = "a pattern"};
}

std::optional<int> ReadRecordingOptions(const Command& command, const ParsedArgs& parsed,
                                        std::ostream& err, RecordingOptions* options) {
    if (const auto format = parsed.Option("--format")) {
        const auto known = AudioFormatFromName(*format);
        if (!known) {
            return UsageError(
                command, err,
                "unknown format '" + *format + "' (known: " + AudioFormatNames() + ")");
        }
        if (!AudioFormatAvailable(*known)) {
            return UsageError(command, err, AudioFormatUnavailable(*known));
        }
        options->format = *known;
        options->formatGiven = true;
    }
    if (const auto pattern = parsed.Option("--name")) {
        std::string error;
        const auto names = NamePattern::Parse(*pattern, &error);
        if (!names) return UsageError(command, err, error);
        options->names = *names;
    }
    return std::nullopt;
}
