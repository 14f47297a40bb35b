#include "vocodec/lpc.h"

#include <algorithm>
#include <cmath>

#include "vocodec/portable_math.h"

namespace vocodec {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Evaluates the sum-of-cosines polynomial of one half of the split filter at x = cos(w).
double Chebyshev(double x, const double* f) {
    double b2 = 1.0;
    double b1 = 2.0 * x + f[1];
    for (int i = 2; i < 5; ++i) {
        const double b0 = 2.0 * x * b1 - b2 + f[i];
        b2 = b1;
        b1 = b0;
    }
    return x * b1 - b2 + 0.5 * f[5];
}

}  // namespace

void WindowedAutocorrelation(const float* x, const float* window, int length,
                             std::array<double, kLpcOrder + 1>& r) {
    double buf[512];
    const int n = std::min(length, 512);
    for (int i = 0; i < n; ++i) buf[i] = static_cast<double>(x[i]) * window[i];
    for (int k = 0; k <= kLpcOrder; ++k) {
        double sum = 0.0;
        for (int i = k; i < n; ++i) sum += buf[i] * buf[i - k];
        r[k] = sum;
    }
    // Gaussian lag window, 60 Hz at 8000 samples per second, and a -40 dB noise floor.
    for (int k = 1; k <= kLpcOrder; ++k) {
        const double f = 2.0 * kPi * 60.0 * k / 8000.0;
        r[k] *= std::exp(-0.5 * f * f);
    }
    r[0] = r[0] * 1.0001 + 1e-3;
}

double Levinson(const std::array<double, kLpcOrder + 1>& r, LpcCoefficients& a) {
    double tmp[kLpcOrder + 1] = {1.0};
    double prev[kLpcOrder + 1] = {1.0};
    double err = r[0];
    for (int i = 1; i <= kLpcOrder; ++i) {
        tmp[i] = 0.0;
        prev[i] = 0.0;
    }
    if (!(err > 0.0)) {
        a.fill(0.0f);
        a[0] = 1.0f;
        return 0.0;
    }
    for (int i = 1; i <= kLpcOrder; ++i) {
        double acc = r[i];
        for (int j = 1; j < i; ++j) acc += prev[j] * r[i - j];
        double k = -acc / err;
        // Rounding on near-singular input could give |k| >= 1; stop there with what is stable.
        if (!(std::fabs(k) < 0.9999)) break;
        for (int j = 1; j < i; ++j) tmp[j] = prev[j] + k * prev[i - j];
        tmp[i] = k;
        for (int j = 1; j <= i; ++j) prev[j] = tmp[j];
        err *= (1.0 - k * k);
    }
    for (int i = 0; i <= kLpcOrder; ++i) a[i] = static_cast<float>(prev[i]);
    a[0] = 1.0f;
    return err;
}

bool LpcToLsf(const LpcCoefficients& a, LsfVector& lsf) {
    double f1[6], f2[6];
    f1[0] = 1.0;
    f2[0] = 1.0;
    for (int i = 1; i <= 5; ++i) {
        f1[i] = a[i] + a[kLpcOrder + 1 - i] - f1[i - 1];
        f2[i] = a[i] - a[kLpcOrder + 1 - i] + f2[i - 1];
    }
    constexpr int kGrid = 256;
    LsfVector found{};
    int count = 0;
    const double* poly = f1;
    double xlow = 1.0;
    double ylow = Chebyshev(xlow, poly);
    int j = 0;
    while (count < kLpcOrder && j < kGrid) {
        const double xhigh = xlow;
        const double yhigh = ylow;
        ++j;
        xlow = std::cos(kPi * j / kGrid);
        ylow = Chebyshev(xlow, poly);
        if (ylow * yhigh <= 0.0) {
            double lo = xlow, hi = xhigh, ylo = ylow, yhi = yhigh;
            for (int it = 0; it < 6; ++it) {
                const double mid = 0.5 * (lo + hi);
                const double ymid = Chebyshev(mid, poly);
                if (ymid * ylo <= 0.0) {
                    hi = mid;
                    yhi = ymid;
                } else {
                    lo = mid;
                    ylo = ymid;
                }
            }
            double x = lo;
            if (yhi != ylo) x = lo - ylo * (hi - lo) / (yhi - ylo);
            x = std::clamp(x, -1.0, 1.0);
            found[count++] = static_cast<float>(std::acos(x));
            poly = (count & 1) ? f2 : f1;
            xlow = x;
            ylow = Chebyshev(xlow, poly);
        }
    }
    if (count < kLpcOrder) return false;
    lsf = found;
    return true;
}

void LsfToLpc(const LsfVector& lsf, LpcCoefficients& a) {
    // Each half is a product of second-order sections 1 - 2cos(w)z^-1 + z^-2.
    double p[6] = {1.0}, q[6] = {1.0};
    for (int i = 1; i < 6; ++i) p[i] = q[i] = 0.0;
    for (int k = 0; k < 5; ++k) {
        const double cp = -2.0 * portable::Cos(static_cast<double>(lsf[2 * k]));
        const double cq = -2.0 * portable::Cos(static_cast<double>(lsf[2 * k + 1]));
        for (int i = 5; i >= 1; --i) {
            p[i] += cp * p[i - 1] + (i >= 2 ? p[i - 2] : 0.0);
            q[i] += cq * q[i - 1] + (i >= 2 ? q[i - 2] : 0.0);
        }
    }
    // Symmetric halves: coefficient i of the degree-10 polynomial equals coefficient 10 - i.
    double pf[kLpcOrder + 1], qf[kLpcOrder + 1];
    for (int i = 0; i <= 5; ++i) {
        pf[i] = p[i];
        qf[i] = q[i];
        pf[kLpcOrder - i] = p[i];
        qf[kLpcOrder - i] = q[i];
    }
    // Multiply by (1 + z^-1) and (1 - z^-1), then average.
    a[0] = 1.0f;
    for (int i = 1; i <= kLpcOrder; ++i) {
        const double s = pf[i] + pf[i - 1];
        const double d = qf[i] - qf[i - 1];
        a[i] = static_cast<float>(0.5 * (s + d));
    }
}

void StabilizeLsf(LsfVector& lsf, float minGap) {
    for (float& f : lsf)
        if (!(f == f)) f = 1.0f;  // NaN never reaches here from our own tables, but be sure
    std::sort(lsf.begin(), lsf.end());
    const float lowest = kLsfEdge;
    const float highest = static_cast<float>(kPi) - kLsfEdge;
    float floor = lowest;
    for (int i = 0; i < kLpcOrder; ++i) {
        if (lsf[i] < floor) lsf[i] = floor;
        floor = lsf[i] + minGap;
    }
    float ceiling = highest;
    for (int i = kLpcOrder - 1; i >= 0; --i) {
        if (lsf[i] > ceiling) lsf[i] = ceiling;
        ceiling = lsf[i] - minGap;
    }
}

void WeightLpc(const LpcCoefficients& a, float gamma, LpcCoefficients& out) {
    float g = 1.0f;
    for (int i = 0; i <= kLpcOrder; ++i) {
        out[i] = a[i] * g;
        g *= gamma;
    }
}

LsfVector FlatLsf() {
    LsfVector lsf;
    for (int i = 0; i < kLpcOrder; ++i)
        lsf[i] = static_cast<float>(kPi * (i + 1) / (kLpcOrder + 1));
    return lsf;
}

}  // namespace vocodec
