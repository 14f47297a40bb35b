#pragma once
#include <cstddef>

// The speech clips' WAV files as bytes, generated at build time.
namespace vocodec {

struct EmbeddedClip {
    const char* name;
    const unsigned char* bytes;
    std::size_t size;
};

extern const EmbeddedClip kEmbeddedClips[];
extern const int kEmbeddedClipCount;

}  // namespace vocodec
