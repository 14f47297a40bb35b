#include "vocodec/adaptive_codebook.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "vocodec/portable_math.h"

namespace vocodec {
namespace {

constexpr int kSplit = 85;                                // first lag coded in whole samples
constexpr int kFractionalCodes = 3 * (kSplit - kMinLag);  // 195

// Windowed sinc, one row per phase (0, 1/3, 2/3 of a sample late), taps j = -K..K-1.
struct InterpolationTable {
    std::array<std::array<float, 2 * kInterpolationTaps>, 3> taps{};
    InterpolationTable() {
        constexpr double kPi = 3.14159265358979323846;
        constexpr double kCutoff = 0.94;  // of half the sample rate
        for (int phase = 0; phase < 3; ++phase) {
            double sum = 0.0;
            for (int j = -kInterpolationTaps; j < kInterpolationTaps; ++j) {
                const double u = j + phase / 3.0;
                double h = 0.0;
                if (std::fabs(u) < kInterpolationTaps) {
                    const double x = kPi * kCutoff * u;
                    const double sinc = (u == 0.0) ? 1.0 : portable::Sin(x) / x;
                    const double w = 0.54 + 0.46 * portable::Cos(kPi * u / kInterpolationTaps);
                    h = sinc * w;
                }
                taps[phase][j + kInterpolationTaps] = static_cast<float>(h);
                sum += h;
            }
            for (float& t : taps[phase]) t = static_cast<float>(t / sum);
        }
    }
};

const InterpolationTable& Table() {
    static const InterpolationTable table;
    return table;
}

}  // namespace

int DecodeAbsoluteLag(int code) {
    code = std::clamp(code, 0, 255);
    if (code < kFractionalCodes) return kMinLag3 + code;
    return 3 * (kSplit + code - kFractionalCodes);
}

int EncodeAbsoluteLag(int lag3) {
    lag3 = std::clamp(lag3, kMinLag3, 3 * kMaxLag);
    if (lag3 < 3 * kSplit) return lag3 - kMinLag3;
    const int whole = std::clamp((lag3 + 1) / 3, kSplit, kMaxLag);
    return kFractionalCodes + whole - kSplit;
}

int RoundToAbsoluteLag(int lag3) {
    return DecodeAbsoluteLag(EncodeAbsoluteLag(lag3));
}

int RelativeLagBase(int previousLag3, int bits) {
    const int span = 1 << bits;
    const int below = (bits >= 5) ? 15 : 7;
    const int whole = std::clamp(previousLag3, kMinLag3, kMaxLag3) / 3;
    return std::clamp(3 * whole - below, kMinLag3, kMaxLag3 - (span - 1));
}

int DecodeRelativeLag(int code, int previousLag3, int bits) {
    const int span = 1 << bits;
    return RelativeLagBase(previousLag3, bits) + std::clamp(code, 0, span - 1);
}

void BuildAdaptiveVector(float* exc, int lag3, int length) {
    lag3 = std::clamp(lag3, kMinLag3, kMaxLag3);
    // Lag T + f/3 reads the signal at n - T - f/3 = (n - T - 1) + (1 - f/3).
    int whole = lag3 / 3;
    int phase = lag3 % 3;
    if (phase != 0) {
        whole += 1;
        phase = 3 - phase;  // the sample (whole) back, then (phase/3) forward
    }
    const auto& table = Table();
    // x(m + phase/3) = sum_j x(m - j) h(j + phase/3): with the taps reversed to read forward.
    for (int n = 0; n < length; ++n) {
        const float* base = exc + n - whole;
        float acc = 0.0f;
        if (phase == 0) {
            acc = base[0];
        } else {
            const auto& h = table.taps[phase];
            for (int j = -kInterpolationTaps; j < kInterpolationTaps; ++j)
                acc += base[-j] * h[j + kInterpolationTaps];
        }
        exc[n] = acc;
    }
}

}  // namespace vocodec
