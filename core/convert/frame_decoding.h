#pragma once
#include <cstdint>
#include <functional>

#include "core/base/byte_stream.h"
#include "core/base/progress_display.h"
#include "core/convert/convert_result.h"
#include "core/convert/decoder_library.h"

// The heart of the conversion: every frame of a ".Bin" stream through the decoder, one
// 320-byte block of audio per decoder call, with no file handling around it.

// The two entries of a decoder, from the library or, in the fuzz target and the benchmark,
// from functions linked in.
struct DecoderEntries {
    DecoderLibrary::InitDecoderFn init = nullptr;
    DecoderLibrary::DecodeFn decode = nullptr;

    bool IsReady() const { return init != nullptr && decode != nullptr; }
    static DecoderEntries From(const DecoderLibrary& library) {
        return {library.InitDecoder(), library.Decode()};
    }
};

// The bar of a conversion runs from 0 to this, at most one step per frame.
inline constexpr int kConvertProgressSteps = 20;

struct BlockCount {
    bool readOk = true;
    std::uint64_t blocks = 0;
};

// The number of blocks the stream decodes to, without decoding. Cheap: it only looks at the
// header bytes and silence counts, so a stream that would decode to more audio than a WAV
// file holds is refused before anything is written.
BlockCount CountFrameBlocks(ByteSource& source, std::uint64_t total);

// Resets the decoder, then decodes the total bytes of source into sink. Fails with
// ConversionFailed before a block beyond maxBlocks would be written, with FileNotRead /
// FileNotWritten when the source or the sink fails, and with DecoderMissing (decoding
// nothing) when an entry is null.
// progress may be null; it is stepped and pumped, never asked about Cancel: a conversion
// always runs to its end once started, unless interrupted (asked every few frames) says
// otherwise, which only the command line's Ctrl-C does.
ConvertResult DecodeFrameStream(ByteSource& source, std::uint64_t total, ByteSink& sink,
                                const DecoderEntries& decoder, ProgressDisplay* progress,
                                std::uint64_t maxBlocks,
                                const std::function<bool()>& interrupted = {});
