#include "vocodec/encoder.h"

#include <algorithm>
#include <cmath>

#include "vocodec/excitation_search.h"
#include "vocodec/fixed_codebook_search.h"
#include "vocodec/frame_params.h"

namespace vocodec {
namespace {

constexpr int kFrameSpan = kAnalysisHistory + kFrameSamples + kLookahead;

void ImpulseResponse(const LpcCoefficients& quantised, const LpcCoefficients& num,
                     const LpcCoefficients& den, int length, float* h) {
    std::fill(h, h + length, 0.0f);
    for (int i = 0; i <= kLpcOrder && i < length; ++i) h[i] = num[i];
    FilterMemory zero{};
    SynthesisFilter(quantised, h, h, length, zero);
    zero.fill(0.0f);
    SynthesisFilter(den, h, h, length, zero);
}

void Convolve(const float* x, const float* h, int length, float* y) {
    for (int n = 0; n < length; ++n) {
        float acc = 0.0f;
        for (int k = 0; k <= n; ++k) acc += x[k] * h[n - k];
        y[n] = acc;
    }
}

LsfVector Interpolate(const LsfVector& from, const LsfVector& to, float w) {
    LsfVector out;
    for (int i = 0; i < kLpcOrder; ++i) out[i] = (1.0f - w) * from[i] + w * to[i];
    return out;
}

float EnergyDb(const float* x, int n) {
    double e = 0.0;
    for (int i = 0; i < n; ++i) e += static_cast<double>(x[i]) * x[i];
    return static_cast<float>(10.0 * std::log10(e / n + 1.0));
}

}  // namespace

Encoder::Encoder(EncoderOptions options) : m_options(options) {
    Reset();
}

void Encoder::Reset() {
    m_highPass.Reset();
    m_detector.Reset();
    m_synth.Reset();
    m_input.assign(kAnalysisHistory, 0.0f);
    m_samplesIn = 0;
    m_framesOut = 0;
    m_previousLsf = LsfQuantizer::Mean();
    m_errorMem.fill(0.0f);
    m_weightedErrorMem.fill(0.0f);
    m_weightNumMem.fill(0.0f);
    m_weightDenMem.fill(0.0f);
    m_weighted.assign(kWeightedHistory + kFrameSamples, 0.0f);
    m_silentRun = 0;
    m_inSilence = false;
    m_framesSinceNoise = 0;
    m_noiseLevelDb = 0.0f;
    m_noiseLsf = m_previousLsf;
}

void Encoder::Encode(const std::int16_t* pcm, std::size_t count, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        m_input.push_back(m_highPass.Process(static_cast<float>(pcm[i])));
        ++m_samplesIn;
        if (static_cast<int>(m_input.size()) == kFrameSpan) {
            EncodeFrame(m_input.data(), out);
            m_input.erase(m_input.begin(), m_input.begin() + kFrameSamples);
        }
    }
}

void Encoder::Finish(std::vector<std::uint8_t>& out) {
    const std::size_t frames = (m_samplesIn + kFrameSamples - 1) / kFrameSamples;
    while (m_framesOut < frames) {
        // Pad through the high-pass, as EncoderReference does, so the last frame still lines up.
        while (static_cast<int>(m_input.size()) < kFrameSpan)
            m_input.push_back(m_highPass.Process(0.0f));
        EncodeFrame(m_input.data(), out);
        m_input.erase(m_input.begin(), m_input.begin() + kFrameSamples);
    }
    FlushSilenceRun(out);
}

void Encoder::EncodeFrame(const float* span, std::vector<std::uint8_t>& out) {
    ++m_framesOut;
    const float* speech = span + kAnalysisHistory;
    const LsfVector lsf = AnalyseSpectrum(span, m_previousLsf);
    const bool silent = m_detector.IsSilent(speech, kFrameSamples) && m_options.silenceDetection;
    if (!silent) {
        FlushSilenceRun(out);
        m_inSilence = false;
        EncodeSpeechFrame(speech, lsf, out);
        return;
    }
    // A pause opens with a description of its noise; later frames only count on, unless
    // the noise has changed enough to describe it again.
    bool describe = !m_inSilence;
    if (!describe && m_framesSinceNoise >= 8) {
        float moved = 0.0f;
        for (int i = 0; i < kLpcOrder; ++i) moved += std::fabs(lsf[i] - m_noiseLsf[i]);
        describe =
            std::fabs(EnergyDb(speech, kFrameSamples) - m_noiseLevelDb) > 4.0f || moved > 0.6f;
    }
    if (describe || m_silentRun == kMaxSilenceRun) FlushSilenceRun(out);
    EncodeNoiseFrame(speech, lsf, describe, out);
    if (!describe) ++m_silentRun;
}

void Encoder::FlushSilenceRun(std::vector<std::uint8_t>& out) {
    if (m_silentRun <= 0) return;
    out.push_back(kSilenceHeader);
    out.push_back(static_cast<std::uint8_t>(m_silentRun));
    m_silentRun = 0;
}

void Encoder::EncodeNoiseFrame(const float* speech, const LsfVector& lsf, bool describe,
                               std::vector<std::uint8_t>& out) {
    float decoded[kFrameSamples];
    SubframeFilters filters;
    if (describe) {
        FrameParams params;
        params.kind = FrameKind::ComfortNoise;
        LsfQuantizer::QuantizeNoise(lsf, params.lsf);
        LpcCoefficients a;
        LsfToLpc(LsfQuantizer::DequantizeNoise(params.lsf), a);
        float residual[kFrameSamples];
        FilterMemory past;
        std::copy(speech - kLpcOrder, speech, past.begin());
        ResidualFilter(a, speech, residual, kFrameSamples, past);
        const float rms = std::sqrt(Dot(residual, residual, kFrameSamples) / kFrameSamples);
        params.noiseEnergy = NoiseIndexOfGain(rms);
        std::uint8_t bytes[kMaxFrameBytes];
        PackFrame(params, bytes);
        out.insert(out.end(), bytes, bytes + FrameBytes(params.kind));
        m_synth.Noise(&params, decoded, filters);
        m_inSilence = true;
        m_framesSinceNoise = 0;
        m_noiseLevelDb = EnergyDb(speech, kFrameSamples);
        m_noiseLsf = lsf;
    } else {
        m_synth.Noise(nullptr, decoded, filters);
        ++m_framesSinceNoise;
    }
    for (int i = 0; i < kLpcOrder; ++i) {
        const int n = kFrameSamples - kLpcOrder + i;
        m_errorMem[i] = speech[n] - decoded[n];
    }
    m_weightedErrorMem.fill(0.0f);
    // The pitch estimate after the pause still needs a weighted past.
    SubframeFilters num, den;
    for (int s = 0; s < 4; ++s) {
        WeightLpc(filters[s], kWeightNumerator, num[s]);
        WeightLpc(filters[s], kWeightDenominator, den[s]);
    }
    static const CodecLayout kFourByForty = LayoutOf(FrameKind::HighRate);
    UpdateWeightedSpeech(speech, num, den, kFourByForty);
    m_previousLsf = lsf;
}

void Encoder::UpdateWeightedSpeech(const float* speech, const SubframeFilters& weightNum,
                                   const SubframeFilters& weightDen, const CodecLayout& layout) {
    std::copy(m_weighted.begin() + kFrameSamples, m_weighted.end(), m_weighted.begin());
    float* current = m_weighted.data() + kWeightedHistory;
    const int length = layout.subframeLength;
    for (int s = 0; s < layout.subframes; ++s) {
        ResidualFilter(weightNum[s], speech + s * length, current + s * length, length,
                       m_weightNumMem);
        SynthesisFilter(weightDen[s], current + s * length, current + s * length, length,
                        m_weightDenMem);
    }
    FlushTiny(m_weightDenMem);
}

void Encoder::EncodeSpeechFrame(const float* speech, const LsfVector& lsf,
                                std::vector<std::uint8_t>& out) {
    const CodecLayout& layout = LayoutOf(KindOfQuality(m_options.quality));
    const int length = layout.subframeLength;

    FrameParams params;
    params.kind = layout.kind;
    LsfQuantizer::Quantize(layout.lsfBits, lsf, m_synth.PreviousLsf(), params.lsf);
    SubframeFilters quantised, weightNum, weightDen;
    m_synth.DecodeFilters(layout, params.lsf, quantised);
    for (int s = 0; s < layout.subframes; ++s) {
        const float w = static_cast<float>(s + 1) / static_cast<float>(layout.subframes);
        LpcCoefficients a;
        LsfToLpc(Interpolate(m_previousLsf, lsf, w), a);
        WeightLpc(a, kWeightNumerator, weightNum[s]);
        WeightLpc(a, kWeightDenominator, weightDen[s]);
    }
    m_previousLsf = lsf;
    UpdateWeightedSpeech(speech, weightNum, weightDen, layout);

    // Open-loop pitch once per pair of subframes (per 80 samples).
    int openLoop[2];
    for (int half = 0; half < 2; ++half)
        openLoop[half] = OpenLoopPitch(m_weighted.data() + kWeightedHistory + half * 80, 80);

    int previousLag3 = kMinLag3;
    for (int s = 0; s < layout.subframes; ++s) {
        const float* sp = speech + s * length;
        const LpcCoefficients& aq = quantised[s];

        // Target: the weighted error the subframe would leave with no excitation at all.
        float residual[kMaxSubframeLength], target[kMaxSubframeLength];
        FilterMemory past;
        std::copy(sp - kLpcOrder, sp, past.begin());
        ResidualFilter(aq, sp, residual, length, past);
        FilterMemory errorMem = m_errorMem;
        SynthesisFilter(aq, residual, target, length, errorMem);
        errorMem = m_errorMem;
        ResidualFilter(weightNum[s], target, target, length, errorMem);
        FilterMemory weightedMem = m_weightedErrorMem;
        SynthesisFilter(weightDen[s], target, target, length, weightedMem);

        float h[kMaxSubframeLength];
        ImpulseResponse(aq, weightNum[s], weightDen[s], length, h);

        // Adaptive codebook: closed-loop search over the lags the code can express.
        SubframeParams& sub = params.subframes[s];
        float* exc = m_synth.Excitation();
        sub.lagCode = SearchLagCode(layout, s, target, h, exc,
                                    openLoop[std::min(s * length / 80, 1)], previousLag3);
        const int lag3 = SpeechSynthesizer::SubframeLag(layout, s, sub.lagCode, previousLag3);
        previousLag3 = lag3;

        float v[kMaxSubframeLength], y[kMaxSubframeLength];
        BuildAdaptiveVector(exc, lag3, length);
        std::copy(exc, exc + length, v);
        Convolve(v, h, length, y);
        GainCorrelations c;
        c.xx = Dot(target, target, length);
        c.xy = Dot(target, y, length);
        c.yy = Dot(y, y, length);
        const float pitchGain = std::clamp(c.xy / (c.yy + 1e-3f), 0.0f, kMaxPitchGain);

        // Fixed codebook on what the pitch part leaves.
        float target2[kMaxSubframeLength], hint[kMaxSubframeLength], hs[kMaxSubframeLength];
        for (int n = 0; n < length; ++n) {
            target2[n] = target[n] - pitchGain * y[n];
            hint[n] = residual[n] - pitchGain * v[n];
        }
        std::copy(h, h + length, hs);
        SharpenAtLag(hs, length, SharpeningLag(lag3), m_synth.SharpeningGain());
        sub.pulses = SearchPulses(layout, target2, hs, hint);

        float code[kMaxSubframeLength], z[kMaxSubframeLength];
        BuildFixedVector(layout, sub.pulses, SharpeningLag(lag3), m_synth.SharpeningGain(), code);
        Convolve(code, h, length, z);
        c.xz = Dot(target, z, length);
        c.zz = Dot(z, z, length);
        c.yz = Dot(y, z, length);
        const float predicted = m_synth.Gains().PredictedGain(VectorEnergyDb(code, length));
        ChooseGains(layout, c, predicted, sub);
        const float gp = PitchGainLevel(layout.pitchGainBits, sub.pitchGainIndex);
        const float gc =
            predicted *
            std::pow(10.0f, CodeGainCorrectionDb(layout.codeGainBits, sub.codeGainIndex) / 20.0f);

        float decoded[kMaxSubframeLength];
        m_synth.Subframe(layout, aq, lag3, sub, decoded);
        for (int i = 0; i < kLpcOrder; ++i) {
            const int n = length - kLpcOrder + i;
            m_errorMem[i] = sp[n] - decoded[n];
            m_weightedErrorMem[i] = target[n] - gp * y[n] - gc * z[n];
        }
    }

    std::uint8_t bytes[kMaxFrameBytes];
    PackFrame(params, bytes);
    out.insert(out.end(), bytes, bytes + FrameBytes(params.kind));
}

std::vector<std::uint8_t> EncodeSpeech(const std::int16_t* pcm, std::size_t count,
                                       EncoderOptions options) {
    Encoder encoder(options);
    std::vector<std::uint8_t> out;
    encoder.Encode(pcm, count, out);
    encoder.Finish(out);
    return out;
}

std::vector<float> EncoderReference(const std::int16_t* pcm, std::size_t count) {
    HighPassFilter filter;
    const std::size_t frames = (count + kFrameSamples - 1) / kFrameSamples;
    std::vector<float> out(frames * kFrameSamples, 0.0f);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = filter.Process(i < count ? static_cast<float>(pcm[i]) : 0.0f);
    return out;
}

}  // namespace vocodec
