#pragma once
#include "vocodec/vocodec_export.h"

// The decoder library's two entries, bound by name at run time.
#ifdef __cplusplus
extern "C" {
#endif

// Resets the decoder; the result means nothing and is always 0.
VOCODEC_EXPORT int vInitDecoder(void);

// Decodes one frame (its length given by the top three bits of frame[0]; a silent frame
// reads frame[0] only) into 160 samples, always writing all 320 bytes of pcm160. Returns 0.
// Not thread-safe: one decoder per process, as the program uses it.
VOCODEC_EXPORT int vDecode(short* pcm160, const unsigned char* frame);

#ifdef __cplusplus
}
#endif
