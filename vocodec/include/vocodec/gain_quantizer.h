#pragma once
#include <array>

// Gains of the two excitation parts. The pitch gain is coded directly; the fixed codebook
// gain as a correction, in dB, to a prediction from the corrections of earlier subframes.
namespace vocodec {

float PitchGainLevel(int bits, int index);
float CodeGainCorrectionDb(int bits, int index);
inline constexpr float kMaxPitchGain = 1.2f;

// Energy of a fixed codebook vector, dB per sample.
float VectorEnergyDb(const float* c, int length);

class GainPredictor {
public:
    void Reset();
    // The fixed codebook gain that would give the predicted energy for this vector.
    float PredictedGain(float vectorEnergyDb) const;
    void Push(float correctionDb);

private:
    std::array<float, 4> m_past{};
};

}  // namespace vocodec
