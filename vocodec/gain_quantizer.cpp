#include "vocodec/gain_quantizer.h"

#include <algorithm>
#include <cmath>

#include "vocodec/portable_math.h"

namespace vocodec {
namespace {

constexpr float kPitch4[16] = {0.00f, 0.12f, 0.24f, 0.35f, 0.45f, 0.54f, 0.62f, 0.70f,
                               0.77f, 0.83f, 0.88f, 0.93f, 0.98f, 1.03f, 1.09f, 1.18f};
constexpr float kPitch3[8] = {0.00f, 0.20f, 0.40f, 0.57f, 0.72f, 0.85f, 0.97f, 1.10f};

// Average energy of the fixed codebook contribution, dB per sample, and the weights of the
// past corrections in the prediction.
constexpr float kMeanEnergyDb = 40.0f;
constexpr float kPredictorWeights[4] = {0.60f, 0.45f, 0.30f, 0.15f};

}  // namespace

float PitchGainLevel(int bits, int index) {
    if (bits >= 4) return kPitch4[std::clamp(index, 0, 15)];
    return kPitch3[std::clamp(index, 0, 7)];
}

float CodeGainCorrectionDb(int bits, int index) {
    if (bits >= 5) return -20.0f + 1.5f * static_cast<float>(std::clamp(index, 0, 31));
    return -18.0f + 2.5f * static_cast<float>(std::clamp(index, 0, 15));
}

float VectorEnergyDb(const float* c, int length) {
    double sum = 0.0;
    for (int i = 0; i < length; ++i) sum += static_cast<double>(c[i]) * c[i];
    return static_cast<float>(10.0 * portable::Log10(sum / length + 1e-6));
}

void GainPredictor::Reset() {
    m_past.fill(0.0f);
}

float GainPredictor::PredictedGain(float vectorEnergyDb) const {
    float predicted = kMeanEnergyDb;
    for (int i = 0; i < 4; ++i) predicted += kPredictorWeights[i] * m_past[i];
    return static_cast<float>(portable::Pow10((predicted - vectorEnergyDb) / 20.0f));
}

void GainPredictor::Push(float correctionDb) {
    for (int i = 3; i > 0; --i) m_past[i] = m_past[i - 1];
    m_past[0] = std::clamp(correctionDb, -30.0f, 30.0f);
}

}  // namespace vocodec
