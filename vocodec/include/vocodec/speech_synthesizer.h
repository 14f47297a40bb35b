#pragma once
#include <array>
#include <cstdint>

#include "vocodec/adaptive_codebook.h"
#include "vocodec/filters.h"
#include "vocodec/frame_params.h"
#include "vocodec/gain_quantizer.h"

// The state both ends of the coder share and the steps that change it. The decoder runs these
// steps on the codes it reads; the encoder runs the very same steps on the codes it chooses,
// so its picture of the decoder's state is always exact.
namespace vocodec {

using SubframeFilters = std::array<LpcCoefficients, kMaxSubframes>;

class SpeechSynthesizer {
public:
    SpeechSynthesizer() { Reset(); }
    void Reset();

    // The quantised frequencies of a coded speech frame, interpolated to each subframe.
    void DecodeFilters(const CodecLayout& layout, const LsfIndices& indices,
                       SubframeFilters& filters);
    // The lag in thirds of subframe s; odd subframes are coded relative to the one before.
    static int SubframeLag(const CodecLayout& layout, int s, int code, int previousLag3);

    // One subframe: excitation from its codes, through the filter into speech[0..length-1].
    void Subframe(const CodecLayout& layout, const LpcCoefficients& filter, int lag3,
                  const SubframeParams& params, float* speech);

    // A comfort noise frame (params given) or a silent frame continuing the last noise.
    void Noise(const FrameParams* params, float* speech, SubframeFilters& filters);

    // For the encoder's search.
    float* Excitation() { return m_exc.data() + kExcitationHistory; }
    float SharpeningGain() const { return m_sharpening; }
    const GainPredictor& Gains() const { return m_gains; }
    const LsfVector& PreviousLsf() const { return m_prevLsf; }
    const FilterMemory& SynthesisMemory() const { return m_synMem; }

    static constexpr float kExcitationLimit = 1.0e5f;
    static constexpr float kSpeechLimit = 65536.0f;

private:
    void Advance(int length);  // moves the excitation history on by one subframe

    std::array<float, kExcitationHistory + kMaxSubframeLength> m_exc{};
    FilterMemory m_synMem{};
    LsfVector m_prevLsf{};
    GainPredictor m_gains;
    float m_sharpening = kMinSharpening;

    LsfVector m_noiseLsf{};
    float m_noiseGain = 0.0f;
    bool m_inNoise = false;
    std::uint32_t m_seed = 1;
};

// Energy index of a comfort noise frame to excitation RMS (index 0 is digital silence).
float NoiseGainOfIndex(int index);
int NoiseIndexOfGain(float rms);

}  // namespace vocodec
