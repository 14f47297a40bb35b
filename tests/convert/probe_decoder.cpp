// A decoder for the tests: instead of audio, each 320-byte block tells which frame it was
// given and in what state the call found things, so the conversion's framing can be checked
// byte for byte. Layout (little-endian):
//   0..3    "PRB1"
//   4..7    resets: vInitDecoder calls since the library was loaded
//   8..11   call: vDecode calls since the last reset, from 1
//   12..15  the frame length the header byte announces
//   16..39  the 24 bytes of the frame buffer as given (stale bytes included)
//   40..43  bytes 8..11 of the output buffer as the call found it (the previous call number
//           when the buffer is reused without clearing; 0 for a fresh, zeroed buffer)
//   44..319 (call * 7 + offset) & 0xFF, so every byte of the block is accounted for
#include <cstdint>
#include <cstring>

namespace {

std::uint32_t g_resets = 0;
std::uint32_t g_calls = 0;

void Put32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Written independently of the program's table on purpose.
std::uint32_t AnnouncedLength(unsigned char header) {
    const unsigned kind = header >> 5;
    static const std::uint32_t kLengths[8] = {11, 11, 18, 18, 24, 24, 4, 2};
    return kLengths[kind];
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int vInitDecoder(void) {
    ++g_resets;
    g_calls = 0;
    return 0;
}

extern "C" __attribute__((visibility("default"))) int vDecode(short* pcm,
                                                              const unsigned char* frame) {
    unsigned char* out = reinterpret_cast<unsigned char*>(pcm);
    unsigned char previous[4];
    std::memcpy(previous, out + 8, 4);
    ++g_calls;
    std::memcpy(out, "PRB1", 4);
    Put32(out + 4, g_resets);
    Put32(out + 8, g_calls);
    Put32(out + 12, AnnouncedLength(frame[0]));
    std::memcpy(out + 16, frame, 24);
    std::memcpy(out + 40, previous, 4);
    for (int i = 44; i < 320; ++i) out[i] = static_cast<unsigned char>(g_calls * 7 + i);
    return 1;
}
