#include "vocodec/codec_layout.h"

namespace vocodec {
namespace {

// Positions p with p % stride in `residues`, in increasing order.
PulseTrack MakeTrack(int length, int stride, std::initializer_list<int> residues, int bits) {
    PulseTrack track;
    for (int p = 0; p < length && track.count < kMaxTrackPositions; ++p)
        for (int r : residues)
            if (p % stride == r) track.positions[track.count++] = static_cast<std::uint8_t>(p);
    track.bits = bits;
    return track;
}

CodecLayout MakeHighRate() {
    CodecLayout l;
    l.kind = FrameKind::HighRate;
    l.subframes = 4;
    l.subframeLength = 40;
    l.lsfBits = {3, 3, 4, 5, 5, 5, 4, 4, 4, 3};
    l.relativeLagBits = 5;
    l.pulseCount = 5;
    for (int t = 0; t < 5; ++t) l.tracks[t] = MakeTrack(40, 5, {t}, 3);
    l.pitchGainBits = 4;
    l.codeGainBits = 5;
    return l;
}

CodecLayout MakeMidRate() {
    CodecLayout l;
    l.kind = FrameKind::MidRate;
    l.subframes = 4;
    l.subframeLength = 40;
    l.lsfBits = {2, 3, 3, 4, 4, 4, 4, 3, 3, 3};
    l.relativeLagBits = 4;
    l.pulseCount = 3;
    l.tracks[0] = MakeTrack(40, 5, {0}, 3);
    l.tracks[1] = MakeTrack(40, 5, {1, 3}, 4);
    l.tracks[2] = MakeTrack(40, 5, {2, 4}, 4);
    l.pitchGainBits = 3;
    l.codeGainBits = 4;
    return l;
}

CodecLayout MakeLowRate() {
    CodecLayout l;
    l.kind = FrameKind::LowRate;
    l.subframes = 2;
    l.subframeLength = 80;
    l.lsfBits = {2, 3, 3, 3, 3, 3, 3, 2, 2, 1};
    l.relativeLagBits = 5;
    l.pulseCount = 3;
    l.tracks[0] = MakeTrack(80, 5, {0}, 4);
    l.tracks[1] = MakeTrack(80, 5, {1, 3}, 5);
    l.tracks[2] = MakeTrack(80, 5, {2, 4}, 5);
    l.pitchGainBits = 3;
    l.codeGainBits = 4;
    return l;
}

}  // namespace

int CodecLayout::TotalBits() const {
    int bits = 0;
    for (int b : lsfBits) bits += b;
    for (int s = 0; s < subframes; ++s) {
        bits += (s % 2 == 0) ? absoluteLagBits : relativeLagBits;
        for (int p = 0; p < pulseCount; ++p) bits += tracks[p].bits + 1;
        bits += pitchGainBits + codeGainBits;
    }
    return bits;
}

const CodecLayout& LayoutOf(FrameKind kind) {
    static const CodecLayout high = MakeHighRate();
    static const CodecLayout mid = MakeMidRate();
    static const CodecLayout low = MakeLowRate();
    switch (kind) {
        case FrameKind::MidRate:
            return mid;
        case FrameKind::LowRate:
            return low;
        default:
            return high;
    }
}

}  // namespace vocodec
