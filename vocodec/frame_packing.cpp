#include <algorithm>

#include "vocodec/bit_stream.h"
#include "vocodec/frame_params.h"

namespace vocodec {
namespace {

// One walk over the fields serves both directions, so packing and unpacking cannot drift apart.
template <typename Visit>
void VisitFields(FrameKind kind, FrameParams& params, Visit&& visit) {
    if (kind == FrameKind::ComfortNoise) {
        const LsfBits& bits = LsfQuantizer::NoiseBits();
        for (int i = 0; i < kLpcOrder; ++i) visit(params.lsf[i], bits[i]);
        visit(params.noiseEnergy, kNoiseEnergyBits);
        return;
    }
    const CodecLayout& layout = LayoutOf(kind);
    for (int i = 0; i < kLpcOrder; ++i) visit(params.lsf[i], layout.lsfBits[i]);
    for (int s = 0; s < layout.subframes; ++s) {
        SubframeParams& sub = params.subframes[s];
        visit(sub.lagCode, s % 2 == 0 ? layout.absoluteLagBits : layout.relativeLagBits);
        for (int p = 0; p < layout.pulseCount; ++p) {
            visit(sub.pulses.index[p], layout.tracks[p].bits);
            visit(sub.pulses.negative[p], 1);
        }
        visit(sub.pitchGainIndex, layout.pitchGainBits);
        visit(sub.codeGainIndex, layout.codeGainBits);
    }
}

}  // namespace

void PackFrame(const FrameParams& params, std::uint8_t* bytes) {
    const int length = FrameBytes(params.kind);
    std::fill(bytes, bytes + length, std::uint8_t{0});
    bytes[0] = HeaderPrefix(params.kind);
    if (params.kind == FrameKind::SilenceRun) return;
    BitWriter writer(bytes, length, HeaderFixedBits(params.kind));
    FrameParams copy = params;
    VisitFields(params.kind, copy, [&](int& value, int bits) {
        const unsigned mask = (1u << bits) - 1u;
        writer.Put(static_cast<unsigned>(value) & mask, bits);
    });
}

FrameParams UnpackFrame(const std::uint8_t* bytes) {
    FrameParams params;
    params.kind = KindOfHeader(bytes[0]);
    if (params.kind == FrameKind::SilenceRun) return params;
    BitReader reader(bytes, FrameBytes(params.kind), HeaderFixedBits(params.kind));
    VisitFields(params.kind, params,
                [&](int& value, int bits) { value = static_cast<int>(reader.Get(bits)); });
    return params;
}

}  // namespace vocodec
