#pragma once
#include <algorithm>
#include <array>
#include <cmath>

#include "vocodec/lpc.h"

// The few filters the coder runs, each with an explicit memory of the last kLpcOrder samples
// (oldest first), so encoder and decoder carry exactly the same state.
namespace vocodec {

using FilterMemory = std::array<float, kLpcOrder>;

// y = x / A(z). Input and output may be the same buffer.
inline void SynthesisFilter(const LpcCoefficients& a, const float* x, float* y, int n,
                            FilterMemory& mem) {
    float buf[kLpcOrder + 512];
    std::copy(mem.begin(), mem.end(), buf);
    for (int i = 0; i < n; ++i) {
        float acc = x[i];
        const float* past = buf + kLpcOrder + i;
        for (int k = 1; k <= kLpcOrder; ++k) acc -= a[k] * past[-k];
        buf[kLpcOrder + i] = acc;
        y[i] = acc;
    }
    std::copy(buf + n, buf + n + kLpcOrder, mem.begin());
}

// y = A(z) x, with the last inputs of the previous call in mem. In-place is allowed.
inline void ResidualFilter(const LpcCoefficients& a, const float* x, float* y, int n,
                           FilterMemory& mem) {
    float buf[kLpcOrder + 512];
    std::copy(mem.begin(), mem.end(), buf);
    std::copy(x, x + n, buf + kLpcOrder);
    for (int i = 0; i < n; ++i) {
        const float* cur = buf + kLpcOrder + i;
        float acc = cur[0];
        for (int k = 1; k <= kLpcOrder; ++k) acc += a[k] * cur[-k];
        y[i] = acc;
    }
    std::copy(buf + n, buf + n + kLpcOrder, mem.begin());
}

// Values this small only slow the arithmetic down (denormals); they are inaudible.
inline float FlushTiny(float v) {
    return std::fabs(v) < 1e-12f ? 0.0f : v;
}

inline void FlushTiny(FilterMemory& mem) {
    for (float& v : mem) v = FlushTiny(v);
}

inline float Clamp(float v, float limit) {
    if (!(v == v)) return 0.0f;
    return std::clamp(v, -limit, limit);
}

inline float Dot(const float* a, const float* b, int n) {
    float sum = 0.0f;
    for (int i = 0; i < n; ++i) sum += a[i] * b[i];
    return sum;
}

}  // namespace vocodec
