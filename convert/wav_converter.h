#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "convert/decoder_library.h"
#include "recorder/progress_display.h"

// Turns a ".Bin" file of coded voice frames into a mono 16-bit PCM RIFF WAVE file, frame by
// frame through the decoder library.

enum class ConvertStatus {
    Ok,
    DecoderMissing,    // the library or one of its entries is not there
    InputUnreadable,   // the ".Bin" could not be opened
    OutputUnwritable,  // the ".wav" could not be created
    ReadFailed,        // reading the ".Bin" failed part-way
    WriteFailed,       // writing the ".wav" failed part-way (disk full, file removed)
    TooLong,           // the decoded audio would not fit a WAV file (4 GiB)
};

struct ConvertResult {
    ConvertStatus status = ConvertStatus::Ok;
    std::uint64_t blocks = 0;  // 320-byte blocks of audio written
    std::string detail;        // the system's words for a file failure, if any
    bool ok() const { return status == ConvertStatus::Ok; }
};

// Creates the "Convert" progress display once both files are open; may return null.
using ProgressFactory = std::function<std::unique_ptr<ProgressDisplay>()>;

// Sample rate of the recorder variant: 7200 for mode 1, 8000 for any other.
int SampleRateForMode(int mode);

// Converts binPath into wavPath at the rate of the given mode. The ".wav" appears whole or
// not at all: a failure never leaves a partial file at wavPath.
ConvertResult ConvertBinToWav(const std::string& binPath, const std::string& wavPath, int mode,
                              const DecoderLibrary& decoder, const ProgressFactory& progress);
