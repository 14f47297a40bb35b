#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vocodec/filters.h"
#include "vocodec/frame_format.h"
#include "vocodec/silence_detector.h"
#include "vocodec/speech_analysis.h"
#include "vocodec/speech_synthesizer.h"

namespace vocodec {

struct EncoderOptions {
    Quality quality = Quality::SP;
    // Pauses become one comfort noise frame followed by silence runs.
    bool silenceDetection = true;
};

// Turns 8000 samples per second of 16-bit mono speech into the recorder's frame stream.
// Decoded sample n lines up with input sample n: the look-ahead is the encoder's own
// business, paid back in Finish.
class Encoder {
public:
    explicit Encoder(EncoderOptions options = {});
    void Reset();

    // Appends the bytes of every frame these samples complete.
    void Encode(const std::int16_t* pcm, std::size_t count, std::vector<std::uint8_t>& out);
    // Codes what is left (the last frame padded with silence) and closes any silence run.
    void Finish(std::vector<std::uint8_t>& out);

    const EncoderOptions& Options() const { return m_options; }

private:
    static constexpr int kWeightedHistory = kMaxLag + 8;

    void EncodeFrame(const float* speech, std::vector<std::uint8_t>& out);
    void EncodeSpeechFrame(const float* speech, const LsfVector& lsf,
                           std::vector<std::uint8_t>& out);
    void EncodeNoiseFrame(const float* speech, const LsfVector& lsf, bool describe,
                          std::vector<std::uint8_t>& out);
    void UpdateWeightedSpeech(const float* speech, const SubframeFilters& weightNum,
                              const SubframeFilters& weightDen, const CodecLayout& layout);
    void FlushSilenceRun(std::vector<std::uint8_t>& out);

    EncoderOptions m_options;
    HighPassFilter m_highPass;
    SilenceDetector m_detector;
    SpeechSynthesizer m_synth;

    std::vector<float> m_input;  // analysis history, frames not yet coded, look-ahead
    std::size_t m_samplesIn = 0;
    std::size_t m_framesOut = 0;

    LsfVector m_previousLsf{};  // unquantised, for the weighting filters
    FilterMemory m_errorMem{};  // last samples of input minus decoded speech
    FilterMemory m_weightedErrorMem{};
    FilterMemory m_weightNumMem{};  // weighted speech for the pitch estimate
    FilterMemory m_weightDenMem{};
    std::vector<float> m_weighted;  // kWeightedHistory past samples + this frame

    int m_silentRun = 0;
    bool m_inSilence = false;
    int m_framesSinceNoise = 0;
    float m_noiseLevelDb = 0.0f;
    LsfVector m_noiseLsf{};
};

// The whole of pcm in one call.
std::vector<std::uint8_t> EncodeSpeech(const std::int16_t* pcm, std::size_t count,
                                       EncoderOptions options = {});

// The encoder's input after its high-pass filter, padded to whole frames: what decoded speech
// should be measured against.
std::vector<float> EncoderReference(const std::int16_t* pcm, std::size_t count);

}  // namespace vocodec
