#include "vocodec/postfilter.h"

#include <algorithm>
#include <cmath>

namespace vocodec {
namespace {

constexpr float kNumeratorGamma = 0.55f;
constexpr float kDenominatorGamma = 0.70f;
constexpr float kTiltFactor = 0.8f;
constexpr float kGainSmoothing = 0.9f;

}  // namespace

void Postfilter::Reset() {
    m_inputMem.fill(0.0f);
    m_outputMem.fill(0.0f);
    m_tiltMem = 0.0f;
    m_gain = 1.0f;
}

void Postfilter::Process(const LpcCoefficients& a, const float* in, float* out, int n) {
    LpcCoefficients num, den;
    WeightLpc(a, kNumeratorGamma, num);
    WeightLpc(a, kDenominatorGamma, den);

    float shaped[512];
    n = std::min(n, 512);
    ResidualFilter(num, in, shaped, n, m_inputMem);
    SynthesisFilter(den, shaped, shaped, n, m_outputMem);

    // The formant filter also tilts the spectrum down; its first autocorrelation lag says by
    // how much.
    float h[20] = {};
    {
        FilterMemory zero{};
        float impulse[20] = {1.0f};
        for (int i = 1; i <= kLpcOrder; ++i) impulse[i] = num[i];
        SynthesisFilter(den, impulse, h, 20, zero);
    }
    const float r0 = Dot(h, h, 20);
    const float r1 = Dot(h, h + 1, 19);
    const float mu = r0 > 0.0f ? kTiltFactor * std::max(r1 / r0, 0.0f) : 0.0f;
    for (int i = 0; i < n; ++i) {
        const float v = shaped[i];
        shaped[i] = v - mu * m_tiltMem;
        m_tiltMem = v;
    }

    const float inEnergy = Dot(in, in, n);
    const float outEnergy = Dot(shaped, shaped, n);
    const float target = outEnergy > 1e-3f ? std::sqrt(inEnergy / outEnergy) : 1.0f;
    for (int i = 0; i < n; ++i) {
        m_gain = kGainSmoothing * m_gain + (1.0f - kGainSmoothing) * target;
        out[i] = shaped[i] * m_gain;
    }
    FlushTiny(m_inputMem);
    FlushTiny(m_outputMem);
    m_tiltMem = FlushTiny(m_tiltMem);
    m_gain = std::clamp(FlushTiny(m_gain), 0.0f, 16.0f);
}

void Postfilter::PassThrough(const float* in, float* out, int n) {
    for (int i = 0; i < n; ++i) out[i] = in[i];
    if (n >= kLpcOrder) {
        std::copy(in + n - kLpcOrder, in + n, m_inputMem.begin());
        std::copy(in + n - kLpcOrder, in + n, m_outputMem.begin());
        m_tiltMem = in[n - 1];
    }
    m_gain = 1.0f;
}

}  // namespace vocodec
