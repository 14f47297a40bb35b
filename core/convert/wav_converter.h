#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/base/byte_stream.h"
#include "core/base/progress_display.h"
#include "core/convert/convert_result.h"
#include "core/convert/decoder_library.h"
#include "core/convert/frame_decoding.h"
#include "core/convert/wav_header.h"

// Turns a ".Bin" file of coded voice frames into a mono 16-bit PCM RIFF WAVE file, frame by
// frame through the decoder library.

// Sample rate of the recorder variant: 7200 for mode 1, 8000 for any other.
int SampleRateForMode(int mode);

struct ConvertOptions {
    // The longest WAV file to write; the RIFF sizes are 32-bit. Tests lower it.
    std::uint64_t maxFileBytes = kMaxWavFileBytes;
    // Wraps the writer of the audio (not the final header), so tests can make the disk fill
    // up after so many bytes. Null: the file is written directly.
    std::function<std::unique_ptr<ByteSink>(ByteSink& file)> wrapOutput;
    // Asked every few frames; true stops the conversion as Cancelled, leaving no file. Only
    // the command line's Ctrl-C uses it: in the window program a conversion always finishes.
    std::function<bool()> interrupted;
};

// Converts binPath into wavPath at the rate of the given mode, under the "Convert" progress
// that progress makes once both files are open (none when it is empty or makes none). The
// ".wav" appears whole or not at all: a failure never leaves a partial file at wavPath (an
// earlier file of that name stays as it was until a conversion succeeds).
ConvertResult ConvertBinToWav(const std::string& binPath, const std::string& wavPath, int mode,
                              const DecoderLibrary& decoder, const ProgressFactory& progress);
ConvertResult ConvertBinToWav(const std::string& binPath, const std::string& wavPath, int mode,
                              const DecoderEntries& decoder, const ProgressFactory& progress,
                              const ConvertOptions& options = {});
