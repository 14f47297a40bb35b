#include "core/encode/audio_format.h"

#include <array>
#include <cctype>

namespace {

struct FormatNames {
    AudioFormat format;
    const char* name;
    const char* extension;
};

constexpr std::array<FormatNames, 5> kFormats{{
    {AudioFormat::Wav, "wav", ".wav"},
    {AudioFormat::Flac, "flac", ".flac"},
    {AudioFormat::Vorbis, "ogg", ".ogg"},
    {AudioFormat::Opus, "opus", ".opus"},
    {AudioFormat::Mp3, "mp3", ".mp3"},
}};

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

const FormatNames& Names(AudioFormat format) {
    for (const FormatNames& names : kFormats) {
        if (names.format == format) return names;
    }
    return kFormats[0];
}

}  // namespace

const char* AudioFormatName(AudioFormat format) {
    return Names(format).name;
}

const char* AudioFormatExtension(AudioFormat format) {
    return Names(format).extension;
}

std::optional<AudioFormat> AudioFormatFromName(std::string_view name) {
    for (const FormatNames& names : kFormats) {
        if (SameLetters(name, names.name)) return names.format;
    }
    return std::nullopt;
}

std::optional<AudioFormat> AudioFormatFromPath(const std::string& path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
    const std::string_view extension = std::string_view(path).substr(dot);
    for (const FormatNames& names : kFormats) {
        if (SameLetters(extension, names.extension)) return names.format;
    }
    return std::nullopt;
}

std::string AudioFormatNames() {
    std::string all;
    for (const FormatNames& names : kFormats) {
        if (!all.empty()) all += '|';
        all += names.name;
    }
    return all;
}

int EncodedSampleRate(AudioFormat format, int sourceRate) {
    if (format != AudioFormat::Opus && format != AudioFormat::Mp3) return sourceRate;
    // The rates both encoders hold, from the lowest.
    static constexpr int kRates[] = {8000, 12000, 16000, 24000, 48000};
    for (const int rate : kRates) {
        if (rate >= sourceRate) return rate;
    }
    return 48000;
}
