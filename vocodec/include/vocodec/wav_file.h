#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Just enough RIFF WAVE for speech: 16-bit PCM in, mono 16-bit PCM out.
namespace vocodec {

struct WavAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;  // interleaved when channels > 1
};

// False, with a reason a person can act on, for anything but 16-bit integer PCM.
bool ParseWav(const std::uint8_t* data, std::size_t size, WavAudio& audio, std::string& error);
bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error);

std::vector<std::uint8_t> MakeWav(const std::int16_t* samples, std::size_t count, int sampleRate);

// Mono at the coder's rate: channels averaged, other rates resampled.
std::vector<std::int16_t> ToCoderInput(const WavAudio& audio);

// The whole file or nothing: written under a temporary name beside it, then renamed.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace vocodec
