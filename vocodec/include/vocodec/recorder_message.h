#pragma once
#include <cstdint>
#include <vector>

namespace vocodec {

// The recorder stores and sends a message in whole blocks of this size.
inline constexpr int kMessageBlockBytes = 528;

// The frame stream padded with 0xFF to whole blocks: filler pairs decode to nothing, and a
// lone 0xFF at the very end is a cut-off frame, dropped as well. An empty stream stays empty.
std::vector<std::uint8_t> MakeRecorderMessage(std::vector<std::uint8_t> stream);

}  // namespace vocodec
