#pragma once

// Tells frames worth coding as speech from pauses. It follows the background level from
// below (it drops at once to a quieter frame and creeps up slowly), calls a frame speech when
// it stands clearly above that level, and holds on for a while after speech so word endings
// and short gaps are kept.
namespace vocodec {

class SilenceDetector {
public:
    void Reset();
    bool IsSilent(const float* frame, int length);

    static constexpr float kAbsoluteFloorDb = 24.0f;  // about -66 dB below full scale
    static constexpr float kMarginDb = 10.0f;
    static constexpr float kRiseDbPerFrame = 0.3f;
    static constexpr int kHangoverFrames = 8;

private:
    float m_noiseDb = kAbsoluteFloorDb;
    int m_hangover = 0;
};

}  // namespace vocodec
