#pragma once
#include "vocodec/frame_params.h"

// The encoder's choices for one subframe, each made by synthesis: the candidate excitation is
// filtered by h (the weighted synthesis filter's impulse response) and compared with the
// weighted target.
namespace vocodec {

// The lag code (absolute on even subframes, relative on odd ones) whose adaptive vector best
// matches target. exc is the excitation buffer the vectors are built in, as the decoder
// builds them; openLoopLag (whole samples) centres the absolute search.
int SearchLagCode(const CodecLayout& layout, int subframe, const float* target, const float* h,
                  float* exc, int openLoopLag, int previousLag3);

// Correlations of the target x, the filtered adaptive vector y and the filtered fixed vector z.
struct GainCorrelations {
    float xx = 0.0f, xy = 0.0f, yy = 0.0f, xz = 0.0f, zz = 0.0f, yz = 0.0f;
};

// Both gain codes together, over every pair of levels: least weighted error, with a penalty
// for missing the target's level so quiet noisy stretches do not turn ever quieter and duller.
void ChooseGains(const CodecLayout& layout, const GainCorrelations& c, float predictedCodeGain,
                 SubframeParams& params);

}  // namespace vocodec
