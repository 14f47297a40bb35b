#include <sndfile.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/convert/bin_input_file.h"
#include "core/convert/wav_header.h"
#include "core/encode/compressed_encoder.h"
#include "core/encode/resampler.h"

namespace {

using Category = Result::Category;

constexpr std::size_t kChunkSamples = 16384;

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The rate and the length of the audio of a WAV file as the conversion writes it.
struct PcmLayout {
    int rate = 0;
    std::uint64_t dataBytes = 0;
};

bool ReadLayout(BinInputFile& input, PcmLayout& layout) {
    WavHeader header{};
    if (input.Read(header.data(), header.size()) != header.size()) return false;
    const std::uint8_t* h = header.data();
    if (std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVE", 4) != 0 ||
        std::memcmp(h + 12, "fmt ", 4) != 0 || Get32(h + 16) != 16 || Get16(h + 20) != 1 ||
        Get16(h + 22) != 1 || Get16(h + 34) != 16 || std::memcmp(h + 36, "data", 4) != 0) {
        return false;
    }
    layout.rate = static_cast<int>(Get32(h + 24));
    layout.dataBytes = Get32(h + 40);
    return layout.rate > 0 && layout.dataBytes <= input.Size() - kWavHeaderBytes;
}

int SndfileFormat(AudioFormat format) {
    switch (format) {
        case AudioFormat::Flac:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case AudioFormat::Vorbis:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFormat::Opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case AudioFormat::Mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        case AudioFormat::Wav:
            break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

class Encoder {
public:
    Encoder(StagedOutputFile& out) : m_out(out) {}

    Result Open(AudioFormat format, int rate, const AudioTags& tags) {
        const int fd = m_out.Descriptor();
        if (fd < 0) return {Category::FileNotWritten, m_out.Error()};
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 1;
        info.format = SndfileFormat(format);
        m_file.reset(sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE));
        if (!m_file) return Refused(nullptr);
        // Tags go before the first sample: the Ogg and MP3 writers put them in front.
        if (!tags.title.empty()) sf_set_string(m_file.get(), SF_STR_TITLE, tags.title.c_str());
        if (!tags.date.empty()) sf_set_string(m_file.get(), SF_STR_DATE, tags.date.c_str());
        if (!tags.comment.empty())
            sf_set_string(m_file.get(), SF_STR_COMMENT, tags.comment.c_str());
        return {};
    }

    Result Write(const std::int16_t* samples, std::size_t count) {
        if (count == 0) return {};
        const sf_count_t put =
            sf_write_short(m_file.get(), samples, static_cast<sf_count_t>(count));
        if (put != static_cast<sf_count_t>(count)) return Refused(m_file.get());
        return {};
    }

    Result Close() {
        // The encoders write their last pages and fix their headers up here.
        const int status = sf_close(m_file.release());
        if (status != 0) return Refused(nullptr, status);
        return {};
    }

private:
    Result Refused(SNDFILE* file, int status = -1) {
        const int code = status >= 0 ? status : sf_error(file);
        const std::string reason = status >= 0 ? sf_error_number(status) : sf_strerror(file);
        // The library's system errors are the file's; anything else is the encoder's refusal.
        if (code == SF_ERR_SYSTEM)
            return {Category::FileNotWritten, "cannot write " + m_out.TargetPath() + ": " + reason};
        return {Category::ConversionFailed, reason};
    }

    StagedOutputFile& m_out;
    SndfileHandle m_file;
};

}  // namespace

bool AudioFormatAvailable(AudioFormat) {
    return true;
}

Result EncodeCompressed(BinInputFile& input, const std::string& wavPath, AudioFormat format,
                        const AudioTags& tags, StagedOutputFile& out,
                        const std::function<bool()>& interrupted) {
    PcmLayout layout;
    if (!ReadLayout(input, layout)) {
        return {Category::FileNotRead, input.Error().empty()
                                           ? wavPath + " is not a WAV file of the conversion"
                                           : input.Error()};
    }
    const int rate = EncodedSampleRate(format, layout.rate);
    std::unique_ptr<Resampler> resampler;
    if (rate != layout.rate) {
        resampler = std::make_unique<Resampler>(layout.rate, rate);
        if (!resampler->Ok()) return {Category::ConversionFailed, resampler->Error()};
    }
    Encoder encoder(out);
    if (Result opened = encoder.Open(format, rate, tags); !opened) return opened;

    std::vector<std::uint8_t> bytes(kChunkSamples * 2);
    std::vector<std::int16_t> samples(kChunkSamples);
    std::vector<std::int16_t> resampled;
    std::uint64_t left = layout.dataBytes / 2;
    while (left > 0) {
        if (interrupted && interrupted()) return {Category::Cancelled, {}};
        const std::size_t want =
            left < kChunkSamples ? static_cast<std::size_t>(left) : kChunkSamples;
        if (input.Read(bytes.data(), want * 2) != want * 2) {
            return {Category::FileNotRead, input.Error().empty()
                                               ? wavPath + " became shorter while it was read"
                                               : input.Error()};
        }
        for (std::size_t i = 0; i < want; ++i) {
            samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
        left -= want;
        Result written;
        if (resampler) {
            resampled.clear();
            if (!resampler->Process(samples.data(), want, resampled))
                return {Category::ConversionFailed, resampler->Error()};
            written = encoder.Write(resampled.data(), resampled.size());
        } else {
            written = encoder.Write(samples.data(), want);
        }
        if (!written) return written;
    }
    if (resampler) {
        resampled.clear();
        if (!resampler->Finish(resampled)) return {Category::ConversionFailed, resampler->Error()};
        if (Result written = encoder.Write(resampled.data(), resampled.size()); !written)
            return written;
    }
    return encoder.Close();
}
