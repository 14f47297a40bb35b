#pragma once
#include <cstdint>
#include <utility>

#include "core/base/result.h"

// How a conversion ended, as every operation reports it, and how much audio it wrote. The
// failures: DecoderMissing; FileNotRead (the ".Bin" cannot be opened, or reading it failed);
// FileNotWritten (the ".wav" cannot be created or written); ConversionFailed (the message
// would decode to more audio than a WAV file holds); Cancelled (the command line's Ctrl-C).
struct ConvertResult : Result {
    ConvertResult() = default;
    ConvertResult(Result result, std::uint64_t blockCount = 0)
        : Result(std::move(result)), blocks(blockCount) {}

    std::uint64_t blocks = 0;  // 320-byte blocks of audio written
};

// The details of the failures that have no file or system reason to tell.
inline constexpr const char* kDecoderMissingDetail =
    "the voice decoder library is missing or incomplete";
inline constexpr const char* kTooLongDetail =
    "the message decodes to more audio than a WAV file can hold";
