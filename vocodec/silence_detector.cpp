#include "vocodec/silence_detector.h"

#include <algorithm>
#include <cmath>

namespace vocodec {

void SilenceDetector::Reset() {
    m_noiseDb = kAbsoluteFloorDb;
    m_hangover = 0;
}

bool SilenceDetector::IsSilent(const float* frame, int length) {
    double energy = 0.0;
    for (int i = 0; i < length; ++i) energy += static_cast<double>(frame[i]) * frame[i];
    const float db = static_cast<float>(10.0 * std::log10(energy / std::max(length, 1) + 1.0));
    if (db < m_noiseDb)
        m_noiseDb = std::max(db, 0.0f);
    else
        m_noiseDb += kRiseDbPerFrame;
    const bool speech = db > std::max(m_noiseDb + kMarginDb, kAbsoluteFloorDb);
    if (speech) {
        m_hangover = kHangoverFrames;
        return false;
    }
    if (m_hangover > 0) {
        --m_hangover;
        return false;
    }
    return true;
}

}  // namespace vocodec
