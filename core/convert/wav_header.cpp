#include "core/convert/wav_header.h"

#include <cstring>

namespace {

void PutTag(WavHeader& h, std::size_t at, const char* tag) {
    std::memcpy(h.data() + at, tag, 4);
}

void Put16(WavHeader& h, std::size_t at, std::uint16_t v) {
    h[at] = static_cast<std::uint8_t>(v);
    h[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(WavHeader& h, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

WavHeader MakeWavHeader(int sampleRate, std::uint32_t dataBytes) {
    constexpr std::uint16_t kChannels = 1;
    constexpr std::uint16_t kBitsPerSample = 16;
    constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;

    WavHeader h{};
    PutTag(h, 0, "RIFF");
    Put32(h, 4, dataBytes + (kWavHeaderBytes - 8));
    PutTag(h, 8, "WAVE");
    PutTag(h, 12, "fmt ");
    Put32(h, 16, 16);
    Put16(h, 20, 1);  // PCM
    Put16(h, 22, kChannels);
    Put32(h, 24, static_cast<std::uint32_t>(sampleRate));
    Put32(h, 28, static_cast<std::uint32_t>(sampleRate) * kBlockAlign);
    Put16(h, 32, kBlockAlign);
    Put16(h, 34, kBitsPerSample);
    PutTag(h, 36, "data");
    Put32(h, 40, dataBytes);
    return h;
}
