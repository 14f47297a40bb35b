// The frame table the converter walks, and the encoder's output measured against it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "vocodec/codec_layout.h"
#include "vocodec/encoder.h"
#include "vocodec/frame_params.h"
#include "vocodec/recorder_message.h"

using namespace vocodec;

namespace {

struct Walked {
    std::vector<FrameKind> kinds;
    int silentFrames = 0;  // frames stood for by silence runs
    bool exact = true;     // the last frame ended exactly at the end of the stream
};

Walked Walk(const std::vector<std::uint8_t>& s) {
    Walked w;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const int length = FrameBytesOfHeader(s[pos]);
        if (s.size() - pos < static_cast<std::size_t>(length)) {
            w.exact = false;
            break;
        }
        w.kinds.push_back(KindOfHeader(s[pos]));
        if (w.kinds.back() == FrameKind::SilenceRun)
            w.silentFrames += SilenceRunLength(s[pos], s[pos + 1]);
        pos += length;
    }
    return w;
}

std::vector<std::int16_t> Tone(int samples, double hz, double amplitude) {
    std::vector<std::int16_t> pcm(samples);
    for (int i = 0; i < samples; ++i)
        pcm[i] = static_cast<std::int16_t>(amplitude * std::sin(2 * 3.14159265 * hz * i / 8000));
    return pcm;
}

}  // namespace

TEST(CodecFrames, HeaderTopBitsGiveKindAndLength) {
    const int expected[8] = {11, 11, 18, 18, 24, 24, 4, 2};
    for (int h = 0; h < 256; ++h)
        EXPECT_EQ(FrameBytesOfHeader(static_cast<std::uint8_t>(h)), expected[h >> 5]) << h;
    EXPECT_EQ(PayloadBits(FrameKind::LowRate), 86);
    EXPECT_EQ(PayloadBits(FrameKind::MidRate), 142);
    EXPECT_EQ(PayloadBits(FrameKind::HighRate), 190);
    EXPECT_EQ(PayloadBits(FrameKind::ComfortNoise), 29);
    for (FrameKind k : {FrameKind::LowRate, FrameKind::MidRate, FrameKind::HighRate})
        EXPECT_LE(LayoutOf(k).TotalBits(), PayloadBits(k));
}

TEST(CodecFrames, SilenceRunCountWrapsInEightBits) {
    EXPECT_EQ(SilenceRunLength(0xE1, 0x10), 32);
    EXPECT_EQ(SilenceRunLength(0xF0, 0x05), 5);
    EXPECT_EQ(SilenceRunLength(0xE0, 0x00), 0);
    EXPECT_EQ(SilenceRunLength(0xFF, 0xFF), 0);  // filler
    EXPECT_EQ(SilenceRunLength(0xE0, 0xFF), 255);
}

TEST(CodecFrames, PackingRoundTripsEveryField) {
    std::mt19937 rng(7);
    for (FrameKind kind :
         {FrameKind::LowRate, FrameKind::MidRate, FrameKind::HighRate, FrameKind::ComfortNoise}) {
        for (int trial = 0; trial < 50; ++trial) {
            std::uint8_t bytes[kMaxFrameBytes];
            for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
            bytes[0] = static_cast<std::uint8_t>(HeaderPrefix(kind) | (bytes[0] & 0x1F));
            if (kind != FrameKind::ComfortNoise) bytes[0] |= bytes[1] & 0x20;
            const FrameParams params = UnpackFrame(bytes);
            ASSERT_EQ(params.kind, kind);
            std::uint8_t repacked[kMaxFrameBytes];
            PackFrame(params, repacked);
            EXPECT_EQ(repacked[0] >> (8 - HeaderFixedBits(kind)),
                      bytes[0] >> (8 - HeaderFixedBits(kind)));
            EXPECT_EQ(UnpackFrame(repacked).lsf, params.lsf);
            EXPECT_EQ(UnpackFrame(repacked).noiseEnergy, params.noiseEnergy);
            if (kind != FrameKind::ComfortNoise) {
                const CodecLayout& layout = LayoutOf(kind);
                const FrameParams again = UnpackFrame(repacked);
                for (int s = 0; s < layout.subframes; ++s) {
                    EXPECT_EQ(again.subframes[s].lagCode, params.subframes[s].lagCode);
                    EXPECT_EQ(again.subframes[s].pulses.index, params.subframes[s].pulses.index);
                    EXPECT_EQ(again.subframes[s].codeGainIndex, params.subframes[s].codeGainIndex);
                }
            }
        }
    }
}

TEST(CodecFrames, EncoderWritesTheQualitysFramesOnly) {
    const auto pcm = Tone(8000, 220.0, 8000.0);
    const struct {
        Quality quality;
        FrameKind kind;
        int bytes;
    } cases[] = {{Quality::LP, FrameKind::LowRate, 11},
                 {Quality::MP, FrameKind::MidRate, 18},
                 {Quality::SP, FrameKind::HighRate, 24}};
    for (const auto& c : cases) {
        EncoderOptions options;
        options.quality = c.quality;
        options.silenceDetection = false;
        const auto stream = EncodeSpeech(pcm.data(), pcm.size(), options);
        EXPECT_EQ(stream.size(), 50u * c.bytes);
        const Walked w = Walk(stream);
        EXPECT_TRUE(w.exact);
        ASSERT_EQ(w.kinds.size(), 50u);
        for (FrameKind k : w.kinds) EXPECT_EQ(k, c.kind);
    }
}

TEST(CodecFrames, PausesBecomeNoiseFrameAndRunsAndKeepTheTiming) {
    // 0.5 s tone, 12 s of digital silence, 0.5 s tone: the pause outlasts one run's 255.
    std::vector<std::int16_t> pcm = Tone(4000, 300.0, 6000.0);
    pcm.resize(pcm.size() + 96000, 0);
    const auto tail = Tone(4000, 300.0, 6000.0);
    pcm.insert(pcm.end(), tail.begin(), tail.end());
    EncoderOptions options;
    options.quality = Quality::MP;
    const auto stream = EncodeSpeech(pcm.data(), pcm.size(), options);
    const Walked w = Walk(stream);
    EXPECT_TRUE(w.exact);
    int speech = 0, noise = 0, runs = 0;
    for (FrameKind k : w.kinds) {
        speech += k == FrameKind::MidRate;
        noise += k == FrameKind::ComfortNoise;
        runs += k == FrameKind::SilenceRun;
    }
    EXPECT_GE(noise, 1);
    EXPECT_GE(runs, 3);
    // Every 160 samples of input are one decoded frame, whatever stands for them.
    EXPECT_EQ(speech + noise + w.silentFrames, static_cast<int>(pcm.size() / 160));
    // Never a run of zero and never the filler pair.
    for (std::size_t pos = 0; pos < stream.size(); pos += FrameBytesOfHeader(stream[pos]))
        if (KindOfHeader(stream[pos]) == FrameKind::SilenceRun) {
            EXPECT_GT(SilenceRunLength(stream[pos], stream[pos + 1]), 0);
            EXPECT_FALSE(stream[pos] == 0xFF && stream[pos + 1] == 0xFF);
        }
}

TEST(CodecFrames, PartialLastFrameIsPaddedAndEmptyInputGivesNothing) {
    const auto pcm = Tone(1000, 200.0, 5000.0);  // 6.25 frames
    EncoderOptions options;
    options.silenceDetection = false;
    EXPECT_EQ(EncodeSpeech(pcm.data(), pcm.size(), options).size(), 7u * 24);
    EXPECT_TRUE(EncodeSpeech(pcm.data(), 0, options).empty());
    // Fed in odd pieces, the stream is the same as in one go.
    Encoder encoder(options);
    std::vector<std::uint8_t> pieces;
    for (std::size_t pos = 0; pos < pcm.size(); pos += 37)
        encoder.Encode(pcm.data() + pos, std::min<std::size_t>(37, pcm.size() - pos), pieces);
    encoder.Finish(pieces);
    EXPECT_EQ(pieces, EncodeSpeech(pcm.data(), pcm.size(), options));
}

TEST(CodecFrames, FullScaleAndDcInputStillCode) {
    std::vector<std::int16_t> square(4000);
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = (i / 20) % 2 ? 32767 : -32768;
    std::vector<std::int16_t> dc(4000, 20000);
    for (const auto* pcm : {&square, &dc}) {
        EncoderOptions options;
        options.silenceDetection = false;
        const auto stream = EncodeSpeech(pcm->data(), pcm->size(), options);
        EXPECT_EQ(stream.size(), 25u * 24);
    }
}

TEST(CodecFrames, RecorderMessageIsPaddedToWholeBlocksWithFiller) {
    std::vector<std::uint8_t> stream(1000, 0x12);
    const auto message = MakeRecorderMessage(stream);
    ASSERT_EQ(message.size(), 2u * kMessageBlockBytes);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), message.begin()));
    for (std::size_t i = stream.size(); i < message.size(); ++i) ASSERT_EQ(message[i], 0xFF);
    EXPECT_EQ(MakeRecorderMessage(std::vector<std::uint8_t>(528, 1)).size(), 528u);
    EXPECT_TRUE(MakeRecorderMessage({}).empty());
}
