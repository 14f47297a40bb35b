#pragma once
#include <cstddef>

// Objective measures of decoded speech against what the encoder heard.
namespace vocodec {

struct QualityScore {
    double segmentalSnrDb = 0.0;
    double spectralDistanceDb = 0.0;
    int frames = 0;  // speech frames that counted
};

// Over 20 ms frames of the reference whose level is within 40 dB of its loudest frame:
//  - segmental SNR: the mean of each frame's SNR, each held within -10..35 dB;
//  - LPC spectral distance: the mean over frames of the RMS difference, in dB across
//    0..4000 Hz, between the 10th-order LPC spectra (gain included) of reference and test.
QualityScore MeasureQuality(const float* reference, const float* test, std::size_t count);

}  // namespace vocodec
