// The speech clips through encoder and decoder: the quality floors, timing and level.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/quality_metrics.h"
#include "vocodec/speech_messages.h"

using namespace vocodec;

namespace {

struct Floor {
    Quality quality;
    double snrDb;
};

void PrintTo(const Floor& floor, std::ostream* os) {
    *os << "quality " << static_cast<int>(floor.quality) << ", floor " << floor.snrDb << " dB";
}

class RoundTrip : public ::testing::TestWithParam<Floor> {};

double Rms(const std::vector<float>& x) {
    double e = 0.0;
    for (float v : x) e += static_cast<double>(v) * v;
    return std::sqrt(e / std::max<std::size_t>(x.size(), 1));
}

}  // namespace

TEST_P(RoundTrip, SpeechClipsMeetTheQualityFloor) {
    const Floor floor = GetParam();
    double pooled = 0.0;
    int frames = 0;
    for (int c = 0; c < SpeechClipCount(); ++c) {
        SCOPED_TRACE(SpeechClipName(c));
        const auto& pcm = SpeechClip(c);
        EncoderOptions options;
        options.quality = floor.quality;
        const auto stream = EncodeSpeech(pcm.data(), pcm.size(), options);
        const auto reference = EncoderReference(pcm.data(), pcm.size());
        // Measured without the postfilter, which reshapes the waveform on purpose.
        const auto decoded = DecodeStreamFloat(stream.data(), stream.size(), false);
        // Sample n out is sample n in: no delay to make up for.
        ASSERT_EQ(decoded.size(), reference.size());
        const QualityScore score = MeasureQuality(reference.data(), decoded.data(), decoded.size());
        ASSERT_GT(score.frames, 50);
        EXPECT_GE(score.segmentalSnrDb, floor.snrDb - 1.0);  // no single clip far off
        pooled += score.segmentalSnrDb * score.frames;
        frames += score.frames;

        // As the program hears it (postfilter on): the same level, still close to the input.
        const auto heard = DecodeStreamFloat(stream.data(), stream.size(), true);
        const double ratio = Rms(heard) / Rms(reference);
        EXPECT_GT(ratio, 0.8);
        EXPECT_LT(ratio, 1.25);
        EXPECT_GT(MeasureQuality(reference.data(), heard.data(), heard.size()).segmentalSnrDb,
                  floor.snrDb - 3.0);
    }
    EXPECT_GE(pooled / frames, floor.snrDb);
}

INSTANTIATE_TEST_SUITE_P(Qualities, RoundTrip,
                         ::testing::Values(Floor{Quality::SP, 6.0}, Floor{Quality::MP, 5.0},
                                           Floor{Quality::LP, 3.0}),
                         [](const ::testing::TestParamInfo<Floor>& info) {
                             switch (info.param.quality) {
                                 case Quality::SP:
                                     return std::string("SP");
                                 case Quality::MP:
                                     return std::string("MP");
                                 default:
                                     return std::string("LP");
                             }
                         });

TEST(RoundTripLevels, QuietSpeechKeepsItsQuality) {
    // A recording 30 dB below the clips' level: the gain prediction and the silence detector
    // must not give up on it.
    double pooled = 0.0;
    int frames = 0;
    for (int c = 0; c < SpeechClipCount(); ++c) {
        std::vector<std::int16_t> pcm = SpeechClip(c);
        for (auto& v : pcm) v = static_cast<std::int16_t>(std::lround(v * 0.03));
        EncoderOptions options;
        options.quality = Quality::MP;
        const auto stream = EncodeSpeech(pcm.data(), pcm.size(), options);
        const auto reference = EncoderReference(pcm.data(), pcm.size());
        const auto decoded = DecodeStreamFloat(stream.data(), stream.size(), false);
        const QualityScore score = MeasureQuality(reference.data(), decoded.data(), decoded.size());
        pooled += score.segmentalSnrDb * score.frames;
        frames += score.frames;
    }
    EXPECT_GE(pooled / frames, 5.0);
}

TEST(RoundTripPauses, ComfortNoiseFollowsTheBackgroundLevel) {
    // Speech-like tone bursts over steady noise: the pauses come back as noise of about
    // the same level, not as holes and not as a roar.
    std::vector<std::int16_t> pcm(8000 * 3);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        double v = static_cast<double>(static_cast<std::int32_t>(seed)) / 2147483648.0 * 300.0;
        if (i < 8000) v += 9000.0 * std::sin(2 * 3.14159265 * 180.0 * i / 8000.0);
        pcm[i] = static_cast<std::int16_t>(v);
    }
    EncoderOptions options;
    options.quality = Quality::MP;
    const auto stream = EncodeSpeech(pcm.data(), pcm.size(), options);
    EXPECT_LT(stream.size(), 150u * 18 / 2) << "the pause should cost far less than speech";
    const auto decoded = DecodeStreamFloat(stream.data(), stream.size(), true);
    const auto reference = EncoderReference(pcm.data(), pcm.size());
    std::vector<float> quietIn(reference.begin() + 12000, reference.end());
    std::vector<float> quietOut(decoded.begin() + 12000, decoded.end());
    const double ratio = Rms(quietOut) / Rms(quietIn);
    EXPECT_GT(ratio, 0.5);
    EXPECT_LT(ratio, 2.0);
}
