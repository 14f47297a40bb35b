#pragma once
#include <array>
#include <cstdint>

#include "vocodec/codec_layout.h"
#include "vocodec/fixed_codebook.h"
#include "vocodec/lsf_quantizer.h"

// Everything one frame carries, as code indices, before packing into bytes.
namespace vocodec {

struct SubframeParams {
    int lagCode = 0;  // absolute on even subframes, relative on odd ones
    PulseChoice pulses;
    int pitchGainIndex = 0;
    int codeGainIndex = 0;
};

struct FrameParams {
    FrameKind kind = FrameKind::SilenceRun;
    LsfIndices lsf{};
    std::array<SubframeParams, kMaxSubframes> subframes{};
    int noiseEnergy = 0;  // comfort noise frames
};

inline constexpr int kNoiseEnergyBits = 6;

// Packs a coded speech or comfort noise frame into FrameBytes(kind) bytes.
void PackFrame(const FrameParams& params, std::uint8_t* bytes);
// Reads a coded speech or comfort noise frame; only FrameBytes(kind of bytes[0]) bytes are read.
FrameParams UnpackFrame(const std::uint8_t* bytes);

}  // namespace vocodec
