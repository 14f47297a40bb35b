#pragma once
#include <optional>
#include <ostream>
#include <string>

#include "cli/arguments.h"
#include "cli/command.h"
#include "core/encode/audio_encoder.h"
#include "core/encode/audio_format.h"
#include "core/sync/file_naming.h"

// What `sync` and `export` share: the format of the files and the pattern of their names.

// --format wav|flac|ogg|opus|mp3 and --name PATTERN, as their syntax lists them.
OptionSyntax FormatOption();
OptionSyntax NameOption();

struct RecordingOptions {
    AudioFormat format = AudioFormat::Wav;
    bool formatGiven = false;
    NamePattern names;
};

// The options of parsed; nothing when they are usable, else kExitUsage once the usage error
// (an unknown format, a pattern with an unknown placeholder) is written to err.
std::optional<int> ReadRecordingOptions(const Command& command, const ParsedArgs& parsed,
                                        std::ostream& err, RecordingOptions* options);
