#include "vocodec/lsf_quantizer.h"

#include <algorithm>
#include <cmath>

namespace vocodec {
namespace {

// Measured on a few minutes of varied speech: the average frequencies, how far each strays
// from its average, how much of that the previous frame predicts, and what is left over.
constexpr float kMean[kLpcOrder] = {0.2332f, 0.3832f, 0.5630f, 0.9513f, 1.2714f,
                                    1.5307f, 1.9351f, 2.1631f, 2.4955f, 2.6479f};
constexpr float kSpread[kLpcOrder] = {0.0728f, 0.1058f, 0.1412f, 0.2114f, 0.2549f,
                                      0.2181f, 0.1762f, 0.1147f, 0.1057f, 0.0924f};
constexpr float kPrediction[kLpcOrder] = {0.76f, 0.81f, 0.76f, 0.81f, 0.85f,
                                          0.81f, 0.79f, 0.76f, 0.77f, 0.76f};
constexpr float kResidualSpread[kLpcOrder] = {0.048f, 0.064f, 0.093f, 0.131f, 0.141f,
                                              0.135f, 0.113f, 0.080f, 0.072f, 0.064f};

// Step of the best uniform quantiser for a unit Gaussian, by bit count.
float UnitStep(int bits) {
    static constexpr float kSteps[] = {0.0f, 1.596f, 0.996f, 0.586f, 0.335f, 0.188f, 0.104f};
    return kSteps[std::clamp(bits, 0, 6)];
}

float Level(int bits, int index, float spread) {
    if (bits <= 0) return 0.0f;
    const int levels = 1 << bits;
    index = std::clamp(index, 0, levels - 1);
    return (static_cast<float>(index) - 0.5f * static_cast<float>(levels - 1)) * UnitStep(bits) *
           spread;
}

int NearestIndex(int bits, float value, float spread) {
    if (bits <= 0) return 0;
    const int levels = 1 << bits;
    const float pos = value / (UnitStep(bits) * spread) + 0.5f * static_cast<float>(levels - 1);
    return std::clamp(static_cast<int>(std::lround(pos)), 0, levels - 1);
}

float Predict(int i, const LsfVector& previous) {
    return kMean[i] + kPrediction[i] * (previous[i] - kMean[i]);
}

}  // namespace

void LsfQuantizer::Quantize(const LsfBits& bits, const LsfVector& target, const LsfVector& previous,
                            LsfIndices& indices) {
    for (int i = 0; i < kLpcOrder; ++i)
        indices[i] = NearestIndex(bits[i], target[i] - Predict(i, previous), kResidualSpread[i]);
}

LsfVector LsfQuantizer::Dequantize(const LsfBits& bits, const LsfIndices& indices,
                                   const LsfVector& previous) {
    LsfVector lsf;
    for (int i = 0; i < kLpcOrder; ++i)
        lsf[i] = Predict(i, previous) + Level(bits[i], indices[i], kResidualSpread[i]);
    StabilizeLsf(lsf, kLsfMinGap);
    return lsf;
}

const LsfBits& LsfQuantizer::NoiseBits() {
    static const LsfBits bits = {2, 2, 2, 2, 2, 2, 2, 2, 1, 1};
    return bits;
}

void LsfQuantizer::QuantizeNoise(const LsfVector& target, LsfIndices& indices) {
    const LsfBits& bits = NoiseBits();
    for (int i = 0; i < kLpcOrder; ++i)
        indices[i] = NearestIndex(bits[i], target[i] - kMean[i], kSpread[i]);
}

LsfVector LsfQuantizer::DequantizeNoise(const LsfIndices& indices) {
    const LsfBits& bits = NoiseBits();
    LsfVector lsf;
    for (int i = 0; i < kLpcOrder; ++i) lsf[i] = kMean[i] + Level(bits[i], indices[i], kSpread[i]);
    StabilizeLsf(lsf, kLsfMinGap);
    return lsf;
}

LsfVector LsfQuantizer::Mean() {
    LsfVector lsf;
    for (int i = 0; i < kLpcOrder; ++i) lsf[i] = kMean[i];
    return lsf;
}

}  // namespace vocodec
