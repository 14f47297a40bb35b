#pragma once
#include "vocodec/fixed_codebook.h"

namespace vocodec {

// The pulses that, filtered by h, best match target (least squares with the best gain).
// Each position's sign is fixed beforehand from the target and signHint (the excitation the
// pulses should resemble), which leaves a search over positions only; that search is
// exhaustive across the tracks.
PulseChoice SearchPulses(const CodecLayout& layout, const float* target, const float* h,
                         const float* signHint);

}  // namespace vocodec
