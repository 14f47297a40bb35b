// A spoken sentence, coded as the recorder codes it, converted through the real decoder
// library found by its bare name: the WAV file holds that sentence.
#include <gtest/gtest.h>

#include <cmath>

#include "core/convert/wav_converter.h"
#include "tests/convert/convert_test_support.h"
#include "vocodec/speech_messages.h"

using namespace convert_test;

namespace {

// Normalised correlation of a and b over their common length.
double Correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

std::vector<std::int16_t> Samples(const Bytes& data) {
    std::vector<std::int16_t> samples(data.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    return samples;
}

TEST(CodecRoundTrip, RecorderMessagesConvertToTheSpeechThatWentIn) {
    DecoderLibrary decoder;
    ASSERT_EQ(decoder.Load(), DecoderLibrary::Status::Ready) << decoder.Error();
    TempFolder folder;
    const auto bin = folder.File("0_01.Bin");
    const auto wavPath = folder.File("0_01.wav");
    // One clip per quality, a different one each time: coding speech takes a while.
    for (int quality : {1, 2, 3}) {
        const int clip = quality - 1;
        SCOPED_TRACE(::testing::Message() << "quality " << quality << ", clip " << clip);
        const Bytes message = vocodec::SpeechMessage(quality, clip);
        ASSERT_EQ(message.size() % 528, 0u);
        WriteFile(bin, message);
        const ConvertResult result = ConvertBinToWav(bin, wavPath, 2, decoder, nullptr);
        ASSERT_TRUE(result.IsOk()) << result;

        const WavFile wav = ReadWav(wavPath);
        EXPECT_EQ(Get32(wav.header.data() + 24), 8000u);
        const auto& speech = vocodec::SpeechClip(clip);
        const auto decoded = Samples(wav.data);
        // Whole frames of the sentence; the recorder's 0xFF padding adds nothing.
        EXPECT_GE(decoded.size(), speech.size());
        EXPECT_LT(decoded.size(), speech.size() + 3 * 160);
        EXPECT_GT(Correlation(speech, decoded), 0.7);
    }
}

}  // namespace
