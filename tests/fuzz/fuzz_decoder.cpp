// Feeds arbitrary bytes to the voice decoder, walked frame by frame as the converter walks a
// ".Bin" file. Each frame sits in a heap block of exactly its length, so any read past it is
// caught; every output sample must be finite and inside the decoder's bounds, and two
// decoders fed the same frames must agree.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vocodec/decoder.h"

// Long garbage runs are the unit tests' business; here many short inputs find more.
constexpr int kMaxCalls = 100;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vocodec::Decoder heard(true), twin(true), raw(false);
    std::size_t pos = 0;
    int calls = 0;
    while (pos < size && calls < kMaxCalls) {
        const int length = vocodec::FrameBytesOfHeader(data[pos]);
        if (size - pos < static_cast<std::size_t>(length)) break;
        int repeats = 1;
        std::vector<std::uint8_t> frame(data + pos, data + pos + length);
        if (vocodec::KindOfHeader(data[pos]) == vocodec::FrameKind::SilenceRun) {
            // A few repeats show what a run does; hundreds would only slow the search.
            repeats = std::min(vocodec::SilenceRunLength(data[pos], data[pos + 1]), 3);
            frame = {vocodec::kSilenceHeader, 0x00};
        }
        for (int r = 0; r < repeats; ++r, ++calls) {
            std::int16_t a[vocodec::kFrameSamples], b[vocodec::kFrameSamples];
            float f[vocodec::kFrameSamples];
            heard.Decode(frame.data(), a);
            twin.Decode(frame.data(), b);
            raw.Decode(frame.data(), f);
            if (std::memcmp(a, b, sizeof a) != 0) std::abort();
            for (float v : f)
                if (!std::isfinite(v) || std::fabs(v) > vocodec::SpeechSynthesizer::kSpeechLimit)
                    std::abort();
        }
        pos += static_cast<std::size_t>(length);
    }
    return 0;
}
