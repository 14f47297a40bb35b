#include "emulator/reply_faults.h"

#include <algorithm>

namespace emu {

namespace {

constexpr std::size_t kMarkerAt = kStatusSize;      // first byte of the directory block
constexpr std::size_t kCountsAt = kStatusSize + 7;  // folder counts in the directory block

void CutTo(Reply& reply, long size) {
    if (size >= 0 && static_cast<std::size_t>(size) < reply.bytes.size()) {
        reply.bytes.resize(static_cast<std::size_t>(size));
    }
}

}  // namespace

void ApplyFaults(Reply& reply, Command command, FaultSwitches& faults, SeededRandom& noise) {
    auto& bytes = reply.bytes;
    if (faults.wrongEcho && bytes.size() >= 2) {
        bytes[1] = static_cast<std::uint8_t>(~bytes[1]);
    }
    if (command == Command::Directory && bytes.size() >= kStatusSize + kBlockSize) {
        if (faults.badMarkerReads > 0) {
            bytes[kMarkerAt] = 0x00;
            --faults.badMarkerReads;
        }
        for (int f = 0; f < 5; ++f) {
            if (faults.reportedCounts[f] >= 0) {
                bytes[kCountsAt + f] =
                    static_cast<std::uint8_t>(std::min(faults.reportedCounts[f], 0xFF));
            }
        }
    }
    if (reply.transfer) {
        if (faults.stopAfterBlocks >= 0) {
            CutTo(reply, kStatusSize + static_cast<long>(faults.stopAfterBlocks) * kBlockSize);
        }
        if (faults.breakAfterBytes >= 0) CutTo(reply, kStatusSize + faults.breakAfterBytes);
    }
    if (faults.shortReplyBytes >= 0) CutTo(reply, faults.shortReplyBytes);
    if (faults.noiseRate > 0.0) {
        for (auto& byte : bytes) {
            // A replaced byte always differs, so a rate of 1 spoils every byte.
            if (noise.Unit() < faults.noiseRate) {
                byte = static_cast<std::uint8_t>(byte ^ (1 + noise.Below(255)));
            }
        }
    }
}

}  // namespace emu
