#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vocodec/postfilter.h"
#include "vocodec/speech_synthesizer.h"

namespace vocodec {

// Decodes one frame at a time into 160 samples. Any bytes at all decode to bounded output:
// every code indexes a table of exactly its size, the filters stay stable, and the
// excitation and the output saturate.
class Decoder {
public:
    explicit Decoder(bool postfilter = true) : m_postfilterOn(postfilter) { Reset(); }
    void Reset();

    // frame holds FrameBytesOfHeader(frame[0]) bytes; nothing past them is read. A silent
    // frame (header 111xxxxx) reads byte 0 only: what follows it may be stale.
    void Decode(const std::uint8_t* frame, std::int16_t* pcm);
    // The same before rounding to 16 bits.
    void Decode(const std::uint8_t* frame, float* out);

private:
    SpeechSynthesizer m_synth;
    Postfilter m_postfilter;
    bool m_postfilterOn;
};

// Walks a ".Bin" byte stream the way the converter does (silence runs repeated, the filler
// pair skipped, a cut-off last frame dropped) and decodes it.
std::vector<std::int16_t> DecodeStream(const std::uint8_t* bytes, std::size_t size,
                                       bool postfilter = true);
std::vector<float> DecodeStreamFloat(const std::uint8_t* bytes, std::size_t size,
                                     bool postfilter = true);

std::int16_t SaturateToPcm(float v);

}  // namespace vocodec
