#pragma once
#include <cmath>

// The few functions of the decoder that the C library would compute, here from additions,
// multiplications and divisions alone. Those are exact in IEEE arithmetic, so every system
// decodes a recording to the same samples, byte for byte; the libraries' own cos, pow and log10
// differ in their last bits from one system to the next (Linux and Windows do).
namespace vocodec::portable {

inline constexpr double kPi = 3.14159265358979323846;

namespace detail {

// pi/2 in two parts, the first with trailing zero bits, so that k * part is exact.
inline constexpr double kHalfPiHigh = 1.57079632673412561417e+00;
inline constexpr double kHalfPiLow = 6.07710050650619224932e-11;
inline constexpr double kLn2High = 6.93147180369123816490e-01;
inline constexpr double kLn2Low = 1.90821492927058770002e-10;
inline constexpr double kLn2 = 0.69314718055994530942;
inline constexpr double kLn10 = 2.30258509299404568402;

// cos and sin of |r| <= pi/4 by their series (the first term left out is below 1e-18).
inline double CosSeries(double r) {
    const double r2 = r * r;
    double term = 1.0, sum = 1.0;
    for (int n = 2; n <= 18; n += 2) {
        term *= -r2 / static_cast<double>(n * (n - 1));
        sum += term;
    }
    return sum;
}

inline double SinSeries(double r) {
    const double r2 = r * r;
    double term = r, sum = r;
    for (int n = 3; n <= 19; n += 2) {
        term *= -r2 / static_cast<double>(n * (n - 1));
        sum += term;
    }
    return sum;
}

// x = k * pi/2 + r with |r| <= pi/4 (for the modest angles of the codec).
inline int Quadrant(double x, double* r) {
    const double k = std::nearbyint(x * (2.0 / kPi));
    *r = (x - k * kHalfPiHigh) - k * kHalfPiLow;
    return static_cast<int>(static_cast<long long>(k) & 3);
}

}  // namespace detail

inline double Cos(double x) {
    double r = 0.0;
    switch (detail::Quadrant(x, &r)) {
        case 0:
            return detail::CosSeries(r);
        case 1:
            return -detail::SinSeries(r);
        case 2:
            return -detail::CosSeries(r);
        default:
            return detail::SinSeries(r);
    }
}

inline double Sin(double x) {
    double r = 0.0;
    switch (detail::Quadrant(x, &r)) {
        case 0:
            return detail::SinSeries(r);
        case 1:
            return detail::CosSeries(r);
        case 2:
            return -detail::SinSeries(r);
        default:
            return -detail::CosSeries(r);
    }
}

inline double Exp(double x) {
    if (x > 700.0) return HUGE_VAL;
    if (x < -700.0) return 0.0;
    const double k = std::nearbyint(x / detail::kLn2);
    const double r = (x - k * detail::kLn2High) - k * detail::kLn2Low;  // |r| <= ln2 / 2
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 16; ++n) {
        term *= r / static_cast<double>(n);
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));  // exact: a power of two
}

// The natural logarithm of x > 0 (minus infinity for 0, not a number below).
inline double Log(double x) {
    if (!(x > 0.0)) return x == 0.0 ? -HUGE_VAL : NAN;
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // exact: x = m * 2^exponent, m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --exponent;
    }
    // log(m) = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172.
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double power = s, sum = s;
    for (int n = 3; n <= 29; n += 2) {
        power *= s2;
        sum += power / static_cast<double>(n);
    }
    return 2.0 * sum + static_cast<double>(exponent) * detail::kLn2;
}

inline double Log10(double x) {
    return Log(x) / detail::kLn10;
}

// 10 to the power y: 10^n * 10^f with n the nearest whole number, so that the rounding of
// y * ln 10 costs no more than the last bit. Powers of ten up to 10^22 are exact doubles.
inline double Pow10(double y) {
    if (!(std::fabs(y) <= 300.0)) return y > 0.0 ? HUGE_VAL : (y < 0.0 ? 0.0 : NAN);
    const double n = std::nearbyint(y);
    const double fraction = Exp((y - n) * detail::kLn10);  // y - n is exact
    double power = 1.0;
    for (int i = 0; i < static_cast<int>(std::fabs(n)); ++i) power *= 10.0;
    return n >= 0.0 ? fraction * power : fraction / power;
}

}  // namespace vocodec::portable
