// WAV files as the tool meets them in the wild, and the rate change to the coder's rate.
#include <gtest/gtest.h>

#include <cmath>

#include "vocodec/resampler.h"
#include "vocodec/wav_file.h"

using namespace vocodec;

namespace {

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

void Chunk(std::vector<std::uint8_t>& v, const char* id, const std::vector<std::uint8_t>& body) {
    v.insert(v.end(), id, id + 4);
    Put32(v, static_cast<std::uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (body.size() & 1) v.push_back(0);
}

std::vector<std::uint8_t> Format(int format, int channels, int rate, int bits, bool extensible) {
    std::vector<std::uint8_t> f = {static_cast<std::uint8_t>(extensible ? 0xFE : format),
                                   static_cast<std::uint8_t>(extensible ? 0xFF : 0),
                                   static_cast<std::uint8_t>(channels), 0};
    Put32(f, static_cast<std::uint32_t>(rate));
    Put32(f, static_cast<std::uint32_t>(rate * channels * bits / 8));
    f.push_back(static_cast<std::uint8_t>(channels * bits / 8));
    f.push_back(0);
    f.push_back(static_cast<std::uint8_t>(bits));
    f.push_back(0);
    if (extensible) {
        f.insert(f.end(), {22, 0, static_cast<std::uint8_t>(bits), 0, 0, 0, 0, 0});
        f.push_back(static_cast<std::uint8_t>(format));
        f.push_back(0);
        f.resize(f.size() + 14, 0);
    }
    return f;
}

std::vector<std::uint8_t> Riff(const std::vector<std::uint8_t>& chunks) {
    std::vector<std::uint8_t> v = {'R', 'I', 'F', 'F'};
    Put32(v, static_cast<std::uint32_t>(chunks.size() + 4));
    v.insert(v.end(), {'W', 'A', 'V', 'E'});
    v.insert(v.end(), chunks.begin(), chunks.end());
    return v;
}

int ZeroCrossings(const std::vector<std::int16_t>& x) {
    int n = 0;
    for (std::size_t i = 1; i < x.size(); ++i) n += (x[i - 1] < 0) != (x[i] < 0);
    return n;
}

double Rms(const std::vector<std::int16_t>& x, std::size_t from, std::size_t to) {
    double e = 0.0;
    for (std::size_t i = from; i < to; ++i) e += static_cast<double>(x[i]) * x[i];
    return std::sqrt(e / static_cast<double>(to - from));
}

}  // namespace

TEST(WavFile, ReadsPastOtherChunksOddPaddingAndExtensibleHeaders) {
    std::vector<std::uint8_t> chunks;
    Chunk(chunks, "LIST", {'a', 'b', 'c'});  // odd length: one pad byte follows
    Chunk(chunks, "fmt ", Format(1, 1, 8000, 16, true));
    Chunk(chunks, "data", {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80});
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(ParseWav(Riff(chunks).data(), Riff(chunks).size(), audio, error)) << error;
    EXPECT_EQ(audio.sampleRate, 8000);
    EXPECT_EQ(audio.samples, (std::vector<std::int16_t>{1, -1, -32768}));

    const std::vector<std::int16_t> pcm = {5, -6, 7};
    const auto made = MakeWav(pcm.data(), pcm.size(), 8000);
    ASSERT_EQ(made.size(), 44u + 6u);
    ASSERT_TRUE(ParseWav(made.data(), made.size(), audio, error));
    EXPECT_EQ(audio.samples, pcm);
}

TEST(WavFile, CutShortDataGivesWhatIsThere) {
    std::vector<std::uint8_t> chunks;
    Chunk(chunks, "fmt ", Format(1, 2, 16000, 16, false));
    chunks.insert(chunks.end(), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0xFF});  // streamed size
    chunks.insert(chunks.end(), {1, 0, 2, 0, 3, 0, 4, 0, 5, 0});                // 2.5 stereo frames
    WavAudio audio;
    std::string error;
    const auto file = Riff(chunks);
    ASSERT_TRUE(ParseWav(file.data(), file.size(), audio, error)) << error;
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.samples, (std::vector<std::int16_t>{1, 2, 3, 4}));
}

TEST(WavFile, RefusesWhatItCannotCodeWithAReason) {
    const struct {
        std::vector<std::uint8_t> file;
        const char* reason;
    } cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, "not a RIFF WAVE file"},
        {[] {
             std::vector<std::uint8_t> c;
             Chunk(c, "fmt ", Format(3, 1, 8000, 32, false));
             Chunk(c, "data", {0, 0, 0, 0});
             return Riff(c);
         }(),
         "integer PCM"},
        {[] {
             std::vector<std::uint8_t> c;
             Chunk(c, "fmt ", Format(1, 1, 8000, 24, true));
             Chunk(c, "data", {0, 0, 0});
             return Riff(c);
         }(),
         "16-bit"},
        {[] {
             std::vector<std::uint8_t> c;
             Chunk(c, "fmt ", Format(1, 1, 8000, 16, false));
             return Riff(c);
         }(),
         "no audio data"},
        {[] {
             std::vector<std::uint8_t> c;
             Chunk(c, "data", {0, 0});
             return Riff(c);
         }(),
         "before the format"},
    };
    for (const auto& c : cases) {
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(ParseWav(c.file.data(), c.file.size(), audio, error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(Resampler, KeepsPitchAndLevelAndRemovesWhatCannotBeKept) {
    // 1 s at 44100: a 1000 Hz tone, then the same length of a 6000 Hz tone that 8000 samples
    // per second cannot hold and must not fold back into the band.
    std::vector<float> input(2 * 44100);
    for (int i = 0; i < 44100; ++i) {
        input[i] = 10000.0f * static_cast<float>(std::sin(2 * 3.14159265 * 1000 * i / 44100.0));
        input[44100 + i] =
            10000.0f * static_cast<float>(std::sin(2 * 3.14159265 * 6000 * i / 44100.0));
    }
    const auto out = Resample(input, 44100, 8000);
    ASSERT_NEAR(static_cast<double>(out.size()), 16000.0, 2.0);
    const std::vector<std::int16_t> tone(out.begin() + 100, out.begin() + 7900);
    EXPECT_NEAR(ZeroCrossings(tone), 2 * 1000 * 7800 / 8000, 4);
    EXPECT_NEAR(Rms(out, 100, 7900), 10000.0 / std::sqrt(2.0), 300.0);
    EXPECT_LT(Rms(out, 8100, 15900), 100.0);
    EXPECT_EQ(Resample({1.4f, -2.6f, 40000.0f}, 8000, 8000),
              (std::vector<std::int16_t>{1, -3, 32767}));
}
