// The built-in speech and the recorder messages made of it.
#include <gtest/gtest.h>

#include <future>

#include "vocodec/decoder.h"
#include "vocodec/recorder_message.h"
#include "vocodec/speech_messages.h"

using namespace vocodec;

TEST(SpeechMessages, ClipsAreShortSpeechAtTheCodersRate) {
    ASSERT_GE(SpeechClipCount(), 4);
    ASSERT_LE(SpeechClipCount(), 6);
    for (int c = 0; c < SpeechClipCount(); ++c) {
        const auto& clip = SpeechClip(c);
        EXPECT_GE(clip.size(), 2u * 8000) << SpeechClipName(c);
        EXPECT_LE(clip.size(), 5u * 8000) << SpeechClipName(c);
        int peak = 0;
        for (auto v : clip) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 8000) << SpeechClipName(c);
    }
    EXPECT_EQ(&SpeechClip(SpeechClipCount() + 1), &SpeechClip(1));
    EXPECT_EQ(&SpeechClip(-1), &SpeechClip(SpeechClipCount() - 1));
}

TEST(SpeechMessages, MessagesAreWholeBlocksOfTheRightFrames) {
    const int index = 2;
    const auto& clip = SpeechClip(index);
    for (int quality = 1; quality <= 3; ++quality) {
        const auto message = SpeechMessage(quality, index);
        ASSERT_FALSE(message.empty());
        EXPECT_EQ(message.size() % kMessageBlockBytes, 0u);
        const FrameKind expected = KindOfQuality(static_cast<Quality>(quality));
        bool sawSpeech = false;
        for (std::size_t pos = 0; pos < message.size() && message[pos] != 0xFF;
             pos += FrameBytesOfHeader(message[pos])) {
            const FrameKind k = KindOfHeader(message[pos]);
            EXPECT_TRUE(k == expected || k == FrameKind::ComfortNoise ||
                        k == FrameKind::SilenceRun);
            sawSpeech = sawSpeech || k == expected;
        }
        EXPECT_TRUE(sawSpeech);
        // Decodes to the clip's length, rounded up to whole frames; the filler adds nothing.
        const auto pcm = DecodeStream(message.data(), message.size());
        EXPECT_EQ(pcm.size(), (clip.size() + 159) / 160 * 160);
    }
    EXPECT_EQ(SpeechMessage(3, index), SpeechMessage(3, index + SpeechClipCount()));
    EXPECT_EQ(SpeechMessage(0, index), SpeechMessage(3, index));  // not a quality: SP
    EXPECT_LT(SpeechMessage(1, index).size(), SpeechMessage(3, index).size());
}

TEST(SpeechMessages, SafeToAskFromSeveralThreads) {
    auto a = std::async(std::launch::async, [] { return SpeechMessage(2, 0); });
    auto b = std::async(std::launch::async, [] { return SpeechMessage(2, 0); });
    EXPECT_EQ(a.get(), b.get());
}
