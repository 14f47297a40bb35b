#include "vocodec/frame_format.h"

namespace vocodec {

FrameKind KindOfHeader(std::uint8_t header) {
    switch (header >> 5) {
        case 0:
        case 1:
            return FrameKind::LowRate;
        case 2:
        case 3:
            return FrameKind::MidRate;
        case 4:
        case 5:
            return FrameKind::HighRate;
        case 6:
            return FrameKind::ComfortNoise;
        default:
            return FrameKind::SilenceRun;
    }
}

int FrameBytes(FrameKind kind) {
    switch (kind) {
        case FrameKind::LowRate:
            return 11;
        case FrameKind::MidRate:
            return 18;
        case FrameKind::HighRate:
            return 24;
        case FrameKind::ComfortNoise:
            return 4;
        case FrameKind::SilenceRun:
            return 2;
    }
    return 2;
}

int HeaderFixedBits(FrameKind kind) {
    return kind == FrameKind::ComfortNoise || kind == FrameKind::SilenceRun ? 3 : 2;
}

std::uint8_t HeaderPrefix(FrameKind kind) {
    switch (kind) {
        case FrameKind::LowRate:
            return 0x00;
        case FrameKind::MidRate:
            return 0x40;
        case FrameKind::HighRate:
            return 0x80;
        case FrameKind::ComfortNoise:
            return 0xC0;
        case FrameKind::SilenceRun:
            return 0xE0;
    }
    return 0xE0;
}

int PayloadBits(FrameKind kind) {
    if (kind == FrameKind::SilenceRun) return 0;
    return FrameBytes(kind) * 8 - HeaderFixedBits(kind);
}

FrameKind KindOfQuality(Quality quality) {
    switch (quality) {
        case Quality::LP:
            return FrameKind::LowRate;
        case Quality::MP:
            return FrameKind::MidRate;
        case Quality::SP:
            return FrameKind::HighRate;
    }
    return FrameKind::HighRate;
}

bool IsQuality(int value) {
    return value >= 1 && value <= 3;
}

int SilenceRunLength(std::uint8_t header, std::uint8_t count) {
    if (header == 0xFF && count == 0xFF) return 0;
    return (header * 16 + count) & 0xFF;
}

}  // namespace vocodec
