// The framing of a ".Bin" file, checked byte for byte through the probe decoder: which frames
// reach the decoder, in what order, with which bytes, and what the WAV file says about them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/convert/wav_converter.h"
#include "core/res/strings.h"
#include "tests/convert/convert_test_support.h"

using namespace convert_test;

namespace {

class FrameConversion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_decoder.Load(kProbeLibrary), DecoderLibrary::Status::Ready)
            << m_decoder.Error();
    }

    // Converts bytes as 1_07.Bin into 1_07.wav at the given mode.
    WavFile Convert(const Bytes& bin, int mode = 2) {
        WriteFile(Bin(), bin);
        m_log = std::make_shared<RecordingProgress::Log>();
        m_result =
            ConvertBinToWav(Bin(), Wav(), mode, m_decoder, RecordingProgress::Factory(m_log));
        EXPECT_TRUE(m_result.IsOk()) << m_result;
        return ReadWav(Wav());
    }
    std::string Bin() const { return m_folder.File("1_07.Bin"); }
    std::string Wav() const { return m_folder.File("1_07.wav"); }

    DecoderLibrary m_decoder;
    TempFolder m_folder;
    std::shared_ptr<RecordingProgress::Log> m_log;
    ConvertResult m_result;
};

Bytes Silence(std::uint8_t h, std::uint8_t c) {
    return {h, c};
}

TEST_F(FrameConversion, EveryHeaderKindSelectsItsFrameLength) {
    struct Row {
        std::uint8_t header;
        int length;
    };
    const Row rows[] = {{0x00, 11}, {0x3F, 11}, {0x40, 18}, {0x7F, 18},
                        {0x80, 24}, {0xBF, 24}, {0xC0, 4},  {0xDF, 4}};
    Bytes bin;
    std::uint8_t seed = 0x10;
    for (const Row& row : rows) {
        const Bytes frame = CodedFrame(row.header, row.length, seed);
        bin.insert(bin.end(), frame.begin(), frame.end());
        seed += 0x20;
    }
    const WavFile wav = Convert(bin);
    const auto blocks = wav.Blocks();
    ASSERT_EQ(blocks.size(), std::size(rows));
    seed = 0x10;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "header 0x" << std::hex << int(rows[i].header));
        EXPECT_EQ(blocks[i].announcedLength, static_cast<std::uint32_t>(rows[i].length));
        const Bytes expected = CodedFrame(rows[i].header, rows[i].length, seed);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), blocks[i].frame.begin()))
            << "the decoder must get the whole frame, header byte first";
        EXPECT_EQ(blocks[i].call, i + 1);
        EXPECT_TRUE(blocks[i].fillIntact) << "all 320 bytes of each call reach the file";
        seed += 0x20;
    }
}

TEST_F(FrameConversion, StaleBytesStayBehindShorterFramesAndSilenceRuns) {
    const Bytes sp = CodedFrame(0x80, 24, 0x40);
    const Bytes lp = CodedFrame(0x00, 11, 0x90);
    const auto blocks = Convert(Join({sp, lp, Silence(0xE0, 0x02)})).Blocks();
    ASSERT_EQ(blocks.size(), 4u);
    // The 11-byte frame rewrote bytes 0..10 only.
    EXPECT_TRUE(std::equal(lp.begin(), lp.end(), blocks[1].frame.begin()));
    EXPECT_TRUE(std::equal(sp.begin() + 11, sp.end(), blocks[1].frame.begin() + 11));
    // Each repeat of the run gets 0xE0 0x00, then whatever the frames before left behind.
    for (int i : {2, 3}) {
        EXPECT_EQ(blocks[i].frame[0], 0xE0);
        EXPECT_EQ(blocks[i].frame[1], 0x00);
        EXPECT_TRUE(std::equal(lp.begin() + 2, lp.end(), blocks[i].frame.begin() + 2));
        EXPECT_TRUE(std::equal(sp.begin() + 11, sp.end(), blocks[i].frame.begin() + 11));
    }
}

TEST_F(FrameConversion, SilenceRunCountsAreTakenInEightBits) {
    struct Run {
        std::uint8_t h, c;
        std::size_t blocks;
    };
    const Run runs[] = {
        {0xE1, 0x10, 32},   // 0x10 + 0x10
        {0xF0, 0x05, 5},    // the high bits of h are lost: 0xF00 + 5 wraps to 5
        {0xFF, 0xFF, 0},    // filler
        {0xE0, 0x00, 0},    // an empty run
        {0xEF, 0xFF, 239},  // 0xF0 + 0xFF wraps to 0xEF
        {0xFF, 0xFE, 238},  // almost filler, but a run: 0xF0 + 0xFE wraps to 0xEE
        {0xE0, 0xFF, 255},  // the longest run
        {0xE1, 0xF0, 0},    // wraps to exactly 0
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(run.h) << " " << int(run.c));
        const auto blocks = Convert(Silence(run.h, run.c)).Blocks();
        ASSERT_EQ(blocks.size(), run.blocks);
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].frame[0], 0xE0);
            EXPECT_EQ(blocks[i].frame[1], 0x00);
            EXPECT_EQ(blocks[i].call, i + 1);
        }
    }
}

TEST_F(FrameConversion, AnIncompleteLastFrameAddsNoAudio) {
    const Bytes sp = CodedFrame(0xA0, 24, 1);
    // A coded frame one byte short, a silence run without its count byte, a lone header.
    for (const Bytes& tail : {Bytes(sp.begin(), sp.end() - 1), Bytes{0xE5}, Bytes{0x40}}) {
        const auto blocks = Convert(Join({sp, tail})).Blocks();
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].frame[0], 0xA0);
    }
    // Recorder memory padded with an odd number of 0xFF: filler pairs and a lone 0xFF.
    EXPECT_EQ(Convert(Join({sp, Bytes(7, 0xFF)})).Blocks().size(), 1u);
}

TEST_F(FrameConversion, WavHeaderDescribesTheAudioAtTheModesRate) {
    const Bytes bin = Join({CodedFrame(0x40, 18, 3), Silence(0xE0, 0x02)});
    struct Case {
        int mode;
        std::uint32_t rate;
    };
    for (const Case c : {Case{1, 7200}, Case{2, 8000}, Case{0, 8000}, Case{7, 8000}}) {
        SCOPED_TRACE(c.mode);
        const WavFile wav = Convert(bin, c.mode);
        ASSERT_EQ(wav.header.size(), 44u);
        const std::uint8_t* h = wav.header.data();
        EXPECT_EQ(std::memcmp(h, "RIFF", 4), 0);
        EXPECT_EQ(Get32(h + 4), 36u + 3 * 320);
        EXPECT_EQ(std::memcmp(h + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(Get32(h + 16), 16u);
        EXPECT_EQ(Get16(h + 20), 1);
        EXPECT_EQ(Get16(h + 22), 1);
        EXPECT_EQ(Get32(h + 24), c.rate);
        EXPECT_EQ(Get32(h + 28), 2 * c.rate);
        EXPECT_EQ(Get16(h + 32), 2);
        EXPECT_EQ(Get16(h + 34), 16);
        EXPECT_EQ(std::memcmp(h + 36, "data", 4), 0);
        EXPECT_EQ(Get32(h + 40), 3u * 320);
        EXPECT_EQ(wav.data.size(), 3u * 320);
        EXPECT_EQ(m_result.blocks, 3u);
    }
}

TEST_F(FrameConversion, EmptyInputGivesAnEmptyWavWithoutProgressSteps) {
    const WavFile wav = Convert({});
    EXPECT_EQ(ReadFile(Wav()).size(), 44u);
    EXPECT_EQ(Get32(wav.header.data() + 4), 36u);
    EXPECT_EQ(Get32(wav.header.data() + 40), 0u);
    EXPECT_EQ(m_log->created, 1);
    EXPECT_EQ(m_log->steps, 0);
    EXPECT_EQ(m_log->hides, 1);
    EXPECT_EQ(m_log->destroyed, 1);
}

TEST_F(FrameConversion, ProgressStepsAtMostOncePerFrameAndTwentyInAll) {
    // Ten 24-byte frames of 240 bytes: the share grows by two twentieths per frame, yet the
    // bar moves one step per frame and ends at 10 of 20.
    Bytes ten;
    for (int i = 0; i < 10; ++i) {
        const Bytes f = CodedFrame(0x80, 24, static_cast<std::uint8_t>(i));
        ten.insert(ten.end(), f.begin(), f.end());
    }
    EXPECT_EQ(Convert(ten).Blocks().size(), 10u);
    EXPECT_EQ(m_log->lower, 0);
    EXPECT_EQ(m_log->upper, 20);
    EXPECT_EQ(m_log->step, 1);
    EXPECT_EQ(m_log->text, text::kConvertText);
    EXPECT_EQ(m_log->steps, 10);
    EXPECT_EQ(m_log->pumps, 10);
    EXPECT_TRUE(m_log->pumpedWithEscape);

    // Many small frames: exactly 20 steps.
    Bytes many;
    for (int i = 0; i < 300; ++i) many.insert(many.end(), {0xC0, 1, 2, 3});
    EXPECT_EQ(Convert(many).Blocks().size(), 300u);
    EXPECT_EQ(m_log->steps, 20);
}

TEST_F(FrameConversion, CancelOnlyHidesTheProgressAndTheConversionRunsOn) {
    Bytes bin;
    for (int i = 0; i < 40; ++i) bin.insert(bin.end(), {0xC0, 9, 9, 9});
    WriteFile(Bin(), bin);
    auto log = std::make_shared<RecordingProgress::Log>();
    log->cancelAfterFirstStep = true;
    const ConvertResult result =
        ConvertBinToWav(Bin(), Wav(), 2, m_decoder, RecordingProgress::Factory(log));
    ASSERT_TRUE(result.IsOk());
    EXPECT_EQ(result.blocks, 40u);
    EXPECT_EQ(log->steps, 20);
    EXPECT_EQ(ReadWav(Wav()).Blocks().size(), 40u);
}

TEST_F(FrameConversion, EachConversionResetsTheDecoderOnceAndReusesOneOutputBuffer) {
    const Bytes bin = Join({CodedFrame(0x00, 11, 1), CodedFrame(0x00, 11, 2), Silence(0xE0, 1)});
    const auto first = Convert(bin).Blocks();
    const auto second = Convert(bin).Blocks();
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].resets, first[0].resets + 1);
    for (const auto* blocks : {&first, &second}) {
        EXPECT_EQ((*blocks)[0].previousCall, 0u) << "a conversion starts with a zeroed buffer";
        for (std::size_t i = 0; i < blocks->size(); ++i) {
            EXPECT_EQ((*blocks)[i].resets, (*blocks)[0].resets);
            EXPECT_EQ((*blocks)[i].call, i + 1);
            if (i > 0) {
                EXPECT_EQ((*blocks)[i].previousCall, i) << "the buffer is not cleared";
            }
        }
    }
}

TEST_F(FrameConversion, ConvertingAgainReplacesTheWavAndKeepsTheBin) {
    Convert(Join({CodedFrame(0x00, 11, 1), CodedFrame(0x00, 11, 2)}));
    ASSERT_EQ(ReadWav(Wav()).Blocks().size(), 2u);
    const Bytes bin = {0xC0, 1, 2, 3};
    EXPECT_EQ(Convert(bin).Blocks().size(), 1u);
    EXPECT_EQ(ReadFile(Bin()), bin);
    EXPECT_EQ(m_folder.Names(), (std::vector<std::string>{"1_07.Bin", "1_07.wav"}))
        << "no temporary file is left behind";
}

TEST_F(FrameConversion, GarbageInputAlwaysGivesAConsistentWav) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        Bytes bin(random() % 1000);
        for (auto& b : bin) b = static_cast<std::uint8_t>(random());
        const WavFile wav = Convert(bin, 1 + round % 2);
        const auto blocks = wav.Blocks();
        EXPECT_EQ(Get32(wav.header.data() + 40), wav.data.size());
        EXPECT_EQ(Get32(wav.header.data() + 4), wav.data.size() + 36);
        EXPECT_EQ(blocks.size(), m_result.blocks);
        EXPECT_LE(m_log->steps, 20);
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            ASSERT_EQ(blocks[i].call, i + 1);
            ASSERT_TRUE(blocks[i].fillIntact);
        }
    }
}

}  // namespace
