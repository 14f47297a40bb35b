// The formats a recording is saved in: WAV byte for byte as the conversion wrote it, and each
// compressed format decoding back (through libsndfile) to the recording's length at a rate the
// format holds, with its tags.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/convert/wav_header.h"
#include "core/encode/audio_encoder.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Category = Result::Category;

struct Decoded {
    int rate = 0;
    int channels = 0;
    sf_count_t frames = 0;
    std::string title, date, comment;
    double peak = 0;
};

Decoded Decode(const std::string& path) {
    Decoded decoded;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return decoded;
    }
    decoded.rate = info.samplerate;
    decoded.channels = info.channels;
    auto tag = [file](int which) {
        const char* text = sf_get_string(file, which);
        return std::string(text ? text : "");
    };
    decoded.title = tag(SF_STR_TITLE);
    decoded.date = tag(SF_STR_DATE);
    decoded.comment = tag(SF_STR_COMMENT);
    std::vector<short> samples(4096);
    for (sf_count_t got; (got = sf_read_short(file, samples.data(), 4096)) > 0;) {
        decoded.frames += got;
        for (sf_count_t i = 0; i < got; ++i)
            decoded.peak = std::max(decoded.peak, std::fabs(static_cast<double>(samples[i])));
    }
    sf_close(file);
    return decoded;
}

class AudioEncoder : public ::testing::Test {
protected:
    // A WAV file as the conversion writes it: a 400 Hz tone of the given length.
    std::string Wav(int rate, int samples) {
        const WavHeader header = MakeWavHeader(rate, static_cast<std::uint32_t>(samples * 2));
        std::string bytes(header.begin(), header.end());
        for (int i = 0; i < samples; ++i) {
            const auto value =
                static_cast<std::int16_t>(12000 * std::sin(i * 2 * M_PI * 400 / rate));
            bytes += static_cast<char>(value & 0xFF);
            bytes += static_cast<char>((value >> 8) & 0xFF);
        }
        const std::string path = (m_folder / ("source-" + std::to_string(rate) + ".wav")).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Result Encode(const std::string& wav, AudioFormat format, const std::string& target) {
        StagedOutputFile out;
        if (!out.Create(target)) return {Category::FileNotWritten, out.Error()};
        Result result = EncodeRecording(wav, format, m_tags, out);
        if (result && !out.Commit()) return {Category::FileNotWritten, out.Error()};
        return result;
    }

    TempFolder m_scratch{"encoder"};
    fs::path m_folder = m_scratch.Path();
    AudioTags m_tags{"03: 12-25 14:05 (SP-1:07)", "2024-12-25T14:05:38", "2 File, message 3"};
};

TEST_F(AudioEncoder, EachFormatDecodesBackToTheRecordingsLengthWithItsTags) {
    for (const int rate : {7200, 8000}) {
        const int samples = rate * 3 + 123;  // three seconds and a bit
        const std::string wav = Wav(rate, samples);
        for (const AudioFormat format :
             {AudioFormat::Flac, AudioFormat::Vorbis, AudioFormat::Opus, AudioFormat::Mp3}) {
            SCOPED_TRACE(std::string(AudioFormatName(format)) + " from " + std::to_string(rate));
            const std::string target =
                (m_folder / (std::string("out") + AudioFormatExtension(format))).string();
            const Result encoded = Encode(wav, format, target);
            ASSERT_TRUE(encoded) << encoded;
            const Decoded decoded = Decode(target);
            // Resampled only where the format cannot hold the recorder's rate.
            const int expectedRate = EncodedSampleRate(format, rate);
            EXPECT_EQ(decoded.rate, expectedRate);
            EXPECT_EQ(expectedRate != rate,
                      rate == 7200 && (format == AudioFormat::Opus || format == AudioFormat::Mp3));
            EXPECT_EQ(decoded.channels, 1);
            const double expectedFrames = static_cast<double>(samples) * expectedRate / rate;
            EXPECT_NEAR(static_cast<double>(decoded.frames), expectedFrames, 2.0);
            EXPECT_GT(decoded.peak, 6000) << "the tone came through";
            EXPECT_EQ(decoded.title, m_tags.title);
            EXPECT_EQ(decoded.comment, m_tags.comment);
            // MP3's tag holds the year alone.
            EXPECT_EQ(decoded.date, format == AudioFormat::Mp3 ? "2024" : m_tags.date);
        }
    }
}

TEST_F(AudioEncoder, WavIsTheConversionsFileByteForByteAndABrokenSourceIsRefused) {
    const std::string wav = Wav(7200, 1000);
    const std::string target = (m_folder / "copy.wav").string();
    ASSERT_TRUE(Encode(wav, AudioFormat::Wav, target));
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(target), bytes(wav));

    const std::string notWav = (m_folder / "text.wav").string();
    std::ofstream(notWav) << "this is no WAV file, not even a long one: forty-four bytes and more";
    const std::string flac = (m_folder / "x.flac").string();
    EXPECT_TRUE(Encode(notWav, AudioFormat::Flac, flac).Is(Category::FileNotRead));
    EXPECT_TRUE(Encode((m_folder / "none.wav").string(), AudioFormat::Opus, flac)
                    .Is(Category::FileNotRead));
    EXPECT_FALSE(fs::exists(flac));

    // Stopped between blocks: nothing is left.
    StagedOutputFile out;
    ASSERT_TRUE(out.Create(flac));
    EXPECT_TRUE(EncodeRecording(Wav(8000, 100000), AudioFormat::Flac, m_tags, out, [] {
                    return true;
                }).Is(Category::Cancelled));
    out.Discard();
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 4);
}

}  // namespace
