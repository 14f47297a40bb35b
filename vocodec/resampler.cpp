#include "vocodec/resampler.h"

#include <algorithm>
#include <cmath>

#include "vocodec/decoder.h"

namespace vocodec {

std::vector<std::int16_t> Resample(const std::vector<float>& input, int fromRate, int toRate) {
    std::vector<std::int16_t> out;
    if (fromRate <= 0 || toRate <= 0 || input.empty()) return out;
    if (fromRate == toRate) {
        out.reserve(input.size());
        for (float v : input) out.push_back(SaturateToPcm(v));
        return out;
    }
    constexpr double kPi = 3.14159265358979323846;
    constexpr int kZeroCrossings = 16;
    const double step = static_cast<double>(fromRate) / toRate;
    // Cut off a little below the lower of the two Nyquist frequencies.
    const double cutoff = 0.9 * std::min(1.0, 1.0 / step);  // of the input's Nyquist
    const double reach = kZeroCrossings / cutoff;           // input samples each side
    const auto count = static_cast<std::size_t>(static_cast<double>(input.size()) / step);
    out.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) * step;
        const long first = std::max(0L, static_cast<long>(std::ceil(t - reach)));
        const long last =
            std::min(static_cast<long>(input.size()) - 1, static_cast<long>(std::floor(t + reach)));
        double acc = 0.0, weight = 0.0;
        for (long k = first; k <= last; ++k) {
            const double x = static_cast<double>(k) - t;
            const double arg = kPi * cutoff * x;
            const double sinc = std::fabs(arg) < 1e-9 ? 1.0 : std::sin(arg) / arg;
            const double w =
                0.42 + 0.5 * std::cos(kPi * x / reach) + 0.08 * std::cos(2 * kPi * x / reach);
            acc += input[k] * sinc * w;
            weight += sinc * w;
        }
        out.push_back(SaturateToPcm(static_cast<float>(weight != 0.0 ? acc / weight : 0.0)));
    }
    return out;
}

}  // namespace vocodec
