// Whatever bytes arrive, the decoder gives bounded, repeatable output and recovers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/speech_messages.h"

using namespace vocodec;

namespace {

// A frame of the given header's length, in a heap block of exactly that size, so a read past
// its end is caught by the address sanitizer.
std::unique_ptr<std::uint8_t[]> RandomFrame(std::mt19937& rng, std::uint8_t header) {
    const int length = FrameBytesOfHeader(header);
    auto frame = std::make_unique<std::uint8_t[]>(length);
    frame[0] = header;
    for (int i = 1; i < length; ++i) frame[i] = static_cast<std::uint8_t>(rng());
    return frame;
}

double Rms(const float* x, int n) {
    double e = 0.0;
    for (int i = 0; i < n; ++i) e += static_cast<double>(x[i]) * x[i];
    return std::sqrt(e / n);
}

}  // namespace

TEST(DecoderSafety, GarbageOfEveryKindStaysBoundedAndRepeatable) {
    const unsigned seed = 20240601;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Decoder a(true), b(true);
    Decoder raw(false);
    for (int i = 0; i < 6000; ++i) {
        const auto frame = RandomFrame(rng, static_cast<std::uint8_t>(rng()));
        std::int16_t pa[kFrameSamples], pb[kFrameSamples];
        float pr[kFrameSamples];
        a.Decode(frame.get(), pa);
        b.Decode(frame.get(), pb);
        raw.Decode(frame.get(), pr);
        ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa)) << "frame " << i;
        for (float v : pr) {
            ASSERT_TRUE(std::isfinite(v)) << "frame " << i;
            ASSERT_LE(std::fabs(v), SpeechSynthesizer::kSpeechLimit) << "frame " << i;
        }
    }
}

TEST(DecoderSafety, FillsAllOfTheOutputEveryTime) {
    // Two decoders in the same state, one writing over 0x5A bytes and one over 0xA5 bytes:
    // any sample left unwritten would differ between them.
    std::mt19937 rng(11);
    Decoder a, b;
    for (int i = 0; i < 500; ++i) {
        const auto frame = RandomFrame(rng, static_cast<std::uint8_t>(rng()));
        std::int16_t pa[kFrameSamples], pb[kFrameSamples];
        std::memset(pa, 0x5A, sizeof pa);
        std::memset(pb, 0xA5, sizeof pb);
        a.Decode(frame.get(), pa);
        b.Decode(frame.get(), pb);
        ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa)) << "frame " << i;
    }
}

TEST(DecoderSafety, RecoversFromALongGarbageRun) {
    // Garbage, then real speech: the state must forget the garbage, so the speech soon
    // decodes as it would from a fresh start.
    std::mt19937 rng(5);
    Decoder spoiled(false), fresh(false);
    for (int i = 0; i < 3000; ++i) {
        const auto frame = RandomFrame(rng, static_cast<std::uint8_t>(0x80 | (rng() & 0x3F)));
        float out[kFrameSamples];
        spoiled.Decode(frame.get(), out);
    }
    const auto& clip = SpeechClip(0);
    EncoderOptions options;
    options.silenceDetection = false;
    const auto stream = EncodeSpeech(clip.data(), clip.size(), options);
    double signal = 0.0, difference = 0.0;
    for (std::size_t pos = 0, frame = 0; pos + 24 <= stream.size(); pos += 24, ++frame) {
        float x[kFrameSamples], y[kFrameSamples];
        spoiled.Decode(&stream[pos], x);
        fresh.Decode(&stream[pos], y);
        if (frame < 50) continue;  // one second to settle
        for (int i = 0; i < kFrameSamples; ++i) {
            signal += static_cast<double>(y[i]) * y[i];
            difference += static_cast<double>(x[i] - y[i]) * (x[i] - y[i]);
        }
    }
    ASSERT_GT(signal, 0.0);
    EXPECT_GT(10.0 * std::log10(signal / std::max(difference, 1e-9)), 40.0);
}

TEST(DecoderSafety, LoudGarbageDiesAwayInSilence) {
    std::mt19937 rng(9);
    Decoder decoder(true);
    float out[kFrameSamples];
    for (int i = 0; i < 200; ++i) {
        const auto frame = RandomFrame(rng, static_cast<std::uint8_t>(rng() & 0x7F));
        decoder.Decode(frame.get(), out);
    }
    const std::uint8_t silent[2] = {kSilenceHeader, 0x00};
    for (int i = 0; i < 100; ++i) decoder.Decode(silent, out);
    EXPECT_LT(Rms(out, kFrameSamples), 1.0);
}

TEST(DecoderSafety, SilentFramesReadOnlyTheirFirstTwoBytes) {
    // The converter passes a silent frame in a buffer whose later bytes are left over from
    // the frame before: two streams differing only there must decode the same.
    const auto& clip = SpeechClip(1);
    EncoderOptions options;
    options.quality = Quality::SP;
    const auto stream = EncodeSpeech(clip.data(), clip.size(), options);
    std::mt19937 rng(3);
    Decoder a(true), b(true);
    std::uint8_t bufA[kMaxFrameBytes] = {}, bufB[kMaxFrameBytes] = {};
    int silentCalls = 0;
    for (std::size_t pos = 0; pos < stream.size();) {
        const int length = FrameBytesOfHeader(stream[pos]);
        std::int16_t pa[kFrameSamples], pb[kFrameSamples];
        if (KindOfHeader(stream[pos]) == FrameKind::SilenceRun) {
            for (int r = SilenceRunLength(stream[pos], stream[pos + 1]); r > 0; --r) {
                for (int i = 2; i < kMaxFrameBytes; ++i) bufB[i] = static_cast<std::uint8_t>(rng());
                bufA[0] = bufB[0] = kSilenceHeader;
                bufA[1] = bufB[1] = 0x00;
                a.Decode(bufA, pa);
                b.Decode(bufB, pb);
                ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa));
                ++silentCalls;
            }
        } else {
            std::copy(&stream[pos], &stream[pos] + length, bufA);
            std::copy(&stream[pos], &stream[pos] + length, bufB);
            a.Decode(bufA, pa);
            b.Decode(bufB, pb);
            ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa));
        }
        pos += length;
    }
    EXPECT_GT(silentCalls, 0) << "the clip should have pauses";
}

TEST(DecoderSafety, ResetStartsAfresh) {
    const auto& clip = SpeechClip(2);
    const auto stream = EncodeSpeech(clip.data(), clip.size());
    const auto first = DecodeStream(stream.data(), stream.size());
    Decoder decoder;
    std::mt19937 rng(1);
    for (int i = 0; i < 20; ++i) {
        const auto frame = RandomFrame(rng, static_cast<std::uint8_t>(rng()));
        std::int16_t pcm[kFrameSamples];
        decoder.Decode(frame.get(), pcm);
    }
    decoder.Reset();
    std::vector<std::int16_t> second;
    for (std::size_t pos = 0; pos < stream.size();) {
        const int length = FrameBytesOfHeader(stream[pos]);
        std::uint8_t frame[kMaxFrameBytes] = {};
        std::copy(&stream[pos], &stream[pos] + length, frame);
        int repeats = 1;
        if (KindOfHeader(frame[0]) == FrameKind::SilenceRun) {
            repeats = SilenceRunLength(frame[0], frame[1]);
            frame[1] = 0;
        }
        for (int r = 0; r < repeats; ++r) {
            std::int16_t pcm[kFrameSamples];
            decoder.Decode(frame, pcm);
            second.insert(second.end(), pcm, pcm + kFrameSamples);
        }
        pos += length;
    }
    EXPECT_EQ(first, second);
}
