#pragma once
#include <cstdint>
#include <vector>

namespace vocodec {

// Band-limited rate change (windowed sinc), rounded and saturated to 16 bits. Equal rates
// only round.
std::vector<std::int16_t> Resample(const std::vector<float>& input, int fromRate, int toRate);

}  // namespace vocodec
