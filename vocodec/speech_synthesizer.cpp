#include "vocodec/speech_synthesizer.h"

#include <algorithm>
#include <cmath>

#include "vocodec/portable_math.h"

namespace vocodec {
namespace {

constexpr float kNoiseStepDb = 1.25f;

// Where between the previous and this frame's frequencies each subframe's filter sits.
float InterpolationWeight(const CodecLayout& layout, int s) {
    return static_cast<float>(s + 1) / static_cast<float>(layout.subframes);
}

LsfVector Interpolate(const LsfVector& from, const LsfVector& to, float w) {
    LsfVector out;
    for (int i = 0; i < kLpcOrder; ++i) out[i] = (1.0f - w) * from[i] + w * to[i];
    return out;
}

}  // namespace

float NoiseGainOfIndex(int index) {
    index = std::clamp(index, 0, (1 << kNoiseEnergyBits) - 1);
    if (index == 0) return 0.0f;
    return static_cast<float>(portable::Pow10(kNoiseStepDb * static_cast<float>(index) / 20.0f));
}

int NoiseIndexOfGain(float rms) {
    if (!(rms > 1.0f)) return rms > 0.5f ? 1 : 0;
    const int index = static_cast<int>(std::lround(20.0f * std::log10(rms) / kNoiseStepDb));
    return std::clamp(index, 1, (1 << kNoiseEnergyBits) - 1);
}

void SpeechSynthesizer::Reset() {
    m_exc.fill(0.0f);
    m_synMem.fill(0.0f);
    m_prevLsf = LsfQuantizer::Mean();
    m_gains.Reset();
    m_sharpening = kMinSharpening;
    m_noiseLsf = m_prevLsf;
    m_noiseGain = 0.0f;
    m_inNoise = false;
    m_seed = 1;
}

void SpeechSynthesizer::DecodeFilters(const CodecLayout& layout, const LsfIndices& indices,
                                      SubframeFilters& filters) {
    const LsfVector current = LsfQuantizer::Dequantize(layout.lsfBits, indices, m_prevLsf);
    for (int s = 0; s < layout.subframes; ++s)
        LsfToLpc(Interpolate(m_prevLsf, current, InterpolationWeight(layout, s)), filters[s]);
    m_prevLsf = current;
    m_inNoise = false;
}

int SpeechSynthesizer::SubframeLag(const CodecLayout& layout, int s, int code, int previousLag3) {
    if (s % 2 == 0) return DecodeAbsoluteLag(code);
    return DecodeRelativeLag(code, previousLag3, layout.relativeLagBits);
}

void SpeechSynthesizer::Subframe(const CodecLayout& layout, const LpcCoefficients& filter, int lag3,
                                 const SubframeParams& params, float* speech) {
    const int length = layout.subframeLength;
    float* exc = Excitation();
    BuildAdaptiveVector(exc, lag3, length);

    float code[kMaxSubframeLength];
    BuildFixedVector(layout, params.pulses, SharpeningLag(lag3), m_sharpening, code);

    const float pitchGain = PitchGainLevel(layout.pitchGainBits, params.pitchGainIndex);
    const float correctionDb = CodeGainCorrectionDb(layout.codeGainBits, params.codeGainIndex);
    const float codeGain = m_gains.PredictedGain(VectorEnergyDb(code, length)) *
                           static_cast<float>(portable::Pow10(correctionDb / 20.0f));
    m_gains.Push(correctionDb);

    for (int n = 0; n < length; ++n)
        exc[n] = Clamp(pitchGain * exc[n] + codeGain * code[n], kExcitationLimit);
    SynthesisFilter(filter, exc, speech, length, m_synMem);
    for (float& v : m_synMem) v = Clamp(FlushTiny(v), kSpeechLimit);
    for (int n = 0; n < length; ++n) speech[n] = Clamp(speech[n], kSpeechLimit);

    m_sharpening = std::clamp(pitchGain, kMinSharpening, kMaxSharpening);
    Advance(length);
}

void SpeechSynthesizer::Noise(const FrameParams* params, float* speech, SubframeFilters& filters) {
    constexpr int kSubframes = 4;
    constexpr int kLength = kFrameSamples / kSubframes;
    LsfVector fromLsf = m_inNoise ? m_noiseLsf : m_prevLsf;
    float fromGain = m_inNoise ? m_noiseGain : 0.0f;
    LsfVector toLsf = m_noiseLsf;
    float toGain = m_noiseGain;
    if (params) {
        toLsf = LsfQuantizer::DequantizeNoise(params->lsf);
        toGain = NoiseGainOfIndex(params->noiseEnergy);
        // Straight after speech the noise starts at its own level: fading in from nothing
        // would leave a hole behind the last word.
        if (!m_inNoise) fromGain = toGain;
    } else if (!m_inNoise) {
        // Silence with no noise described since the speech stopped: let it die away.
        toGain = 0.0f;
        fromGain = 0.0f;
        toLsf = m_prevLsf;
    }
    for (int s = 0; s < kSubframes; ++s) {
        const float w = static_cast<float>(s + 1) / kSubframes;
        LsfToLpc(Interpolate(fromLsf, toLsf, w), filters[s]);
        const float gain = (1.0f - w) * fromGain + w * toGain;
        float* exc = Excitation();
        for (int n = 0; n < kLength; ++n) {
            // Sum of two uniform numbers: cheap, roughly bell-shaped, unit variance.
            float acc = 0.0f;
            for (int k = 0; k < 2; ++k) {
                m_seed = m_seed * 1664525u + 1013904223u;
                acc +=
                    static_cast<float>(static_cast<std::int32_t>(m_seed)) * (1.0f / 2147483648.0f);
            }
            exc[n] = gain * acc * 1.2247449f;
        }
        SynthesisFilter(filters[s], exc, speech + s * kLength, kLength, m_synMem);
        for (float& v : m_synMem) v = Clamp(FlushTiny(v), kSpeechLimit);
        for (int n = 0; n < kLength; ++n)
            speech[s * kLength + n] = Clamp(speech[s * kLength + n], kSpeechLimit);
        Advance(kLength);
    }
    m_noiseLsf = toLsf;
    m_noiseGain = toGain;
    m_inNoise = true;
    // Speech after the pause predicts from the noise's spectrum and starts its gains afresh.
    m_prevLsf = toLsf;
    m_gains.Reset();
    m_sharpening = kMinSharpening;
}

void SpeechSynthesizer::Advance(int length) {
    std::copy(m_exc.begin() + length, m_exc.begin() + length + kExcitationHistory, m_exc.begin());
    for (int i = 0; i < kExcitationHistory; ++i) m_exc[i] = FlushTiny(m_exc[i]);
}

}  // namespace vocodec
