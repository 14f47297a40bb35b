#include "vocodec/wav_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "vocodec/frame_format.h"
#include "vocodec/resampler.h"

namespace vocodec {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void Set32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Set16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

bool ParseWav(const std::uint8_t* data, std::size_t size, WavAudio& audio, std::string& error) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint8_t* chunk = data + pos;
        const std::size_t length = Le32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min(length, size - body);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16) {
                error = "the format chunk is too short";
                return false;
            }
            int format = Le16(data + body);
            audio.channels = Le16(data + body + 2);
            audio.sampleRate = static_cast<int>(Le32(data + body + 4));
            const int bits = Le16(data + body + 14);
            if (format == 0xFFFE && available >= 26) format = Le16(data + body + 24);
            if (format != 1) {
                error = "only integer PCM is supported (this file has format code " +
                        std::to_string(format) + ")";
                return false;
            }
            if (bits != 16) {
                error = "only 16-bit samples are supported (this file has " + std::to_string(bits) +
                        "-bit samples)";
                return false;
            }
            if (audio.channels < 1 || audio.channels > 16) {
                error = "unsupported channel count " + std::to_string(audio.channels);
                return false;
            }
            if (audio.sampleRate < 1000 || audio.sampleRate > 384000) {
                error = "unsupported sample rate " + std::to_string(audio.sampleRate);
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "the data chunk comes before the format chunk";
                return false;
            }
            // A length past the end (a recording cut short, or a streamed header) takes what
            // is there.
            const std::size_t count = available / 2 / audio.channels * audio.channels;
            audio.samples.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                audio.samples[i] = static_cast<std::int16_t>(Le16(data + body + 2 * i));
            return true;
        }
        if (length > size - body) break;
        pos = body + length + (length & 1);
    }
    error = haveFormat ? "the file has no audio data" : "the file has no format chunk";
    return false;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    // C streams report a folder or a failing disk as an error code; iostreams may throw.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    const int why = errno;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path + ": " + std::strerror(why);
        return false;
    }
    return true;
}

bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (!ParseWav(bytes.data(), bytes.size(), audio, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> MakeWav(const std::int16_t* samples, std::size_t count, int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(2 * count);
    std::vector<std::uint8_t> out(44 + std::size_t{dataBytes});
    std::uint8_t* p = out.data();
    std::memcpy(p, "RIFF", 4);
    Set32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    Set32(p + 16, 16);
    Set16(p + 20, 1);  // PCM
    Set16(p + 22, 1);  // mono
    Set32(p + 24, static_cast<std::uint32_t>(sampleRate));
    Set32(p + 28, static_cast<std::uint32_t>(2 * sampleRate));
    Set16(p + 32, 2);
    Set16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    Set32(p + 40, dataBytes);
    for (std::size_t i = 0; i < count; ++i)
        Set16(p + 44 + 2 * i, static_cast<std::uint16_t>(samples[i]));
    return out;
}

std::vector<std::int16_t> ToCoderInput(const WavAudio& audio) {
    const int channels = std::max(audio.channels, 1);
    const std::size_t frames = audio.samples.size() / channels;
    std::vector<float> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) sum += audio.samples[i * channels + c];
        mono[i] = sum / static_cast<float>(channels);
    }
    return Resample(mono, audio.sampleRate, kSampleRate);
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace vocodec
