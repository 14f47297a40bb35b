#pragma once
#include <ostream>
#include <string>

#include "core/convert/decoder_library.h"
#include "core/convert/wav_converter.h"

// What `export` and `convert` share: the decoder, the conversion with Ctrl-C and a progress
// bar, and how its end becomes an exit status.

// Loads the voice decoder; false after telling why on err (the conversion failure message).
bool LoadDecoderForCli(DecoderLibrary& decoder, std::ostream& err);

// Converts binPath into target at the mode's rate under a "Convert" bar on terminal (null:
// none); Ctrl-C stops it and leaves no file.
ConvertResult ConvertForCli(const std::string& binPath, const std::string& target, int mode,
                            const DecoderLibrary& decoder, std::ostream* terminal);

// kExitOk, or the exit status of a failed conversion (ExitStatusFor) after telling why on err:
// kExitConversion, kExitOutput when the WAV file could not be written, kExitInterrupted.
int ConversionExitStatus(const ConvertResult& result, const std::string& subject,
                         std::ostream& err);

// "12.3 s at 8000 samples per second"
std::string AudioLength(const ConvertResult& result, int mode);
