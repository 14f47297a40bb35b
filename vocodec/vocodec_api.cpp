#include <cstdint>

#include "vocodec/decoder.h"
#include "vocodec/vocodec.h"

namespace {

vocodec::Decoder& TheDecoder() {
    static vocodec::Decoder decoder(true);
    return decoder;
}

}  // namespace

extern "C" VOCODEC_EXPORT int vInitDecoder(void) {
    TheDecoder().Reset();
    return 0;
}

extern "C" VOCODEC_EXPORT int vDecode(short* pcm160, const unsigned char* frame) {
    if (!pcm160) return 0;
    if (!frame) {
        for (int i = 0; i < vocodec::kFrameSamples; ++i) pcm160[i] = 0;
        return 0;
    }
    std::int16_t pcm[vocodec::kFrameSamples];
    TheDecoder().Decode(frame, pcm);
    for (int i = 0; i < vocodec::kFrameSamples; ++i) pcm160[i] = pcm[i];
    return 0;
}
