#pragma once
#include "vocodec/filters.h"

// Deepens the valleys between formants, where the coding noise is most audible, then puts
// the spectral tilt and the level back. Off for measurements against the original waveform.
namespace vocodec {

class Postfilter {
public:
    void Reset();
    void Process(const LpcCoefficients& a, const float* in, float* out, int n);
    // Comfort noise passes untouched; the memories follow it so the next speech joins smoothly.
    void PassThrough(const float* in, float* out, int n);

private:
    FilterMemory m_inputMem{};
    FilterMemory m_outputMem{};
    float m_tiltMem = 0.0f;
    float m_gain = 1.0f;
};

}  // namespace vocodec
