// The vocodec command line, run in-process.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vocodec/encoder.h"
#include "vocodec/frame_format.h"
#include "vocodec/recorder_message.h"
#include "vocodec/speech_messages.h"
#include "vocodec/vocodec_tool.h"
#include "vocodec/wav_file.h"

namespace fs = std::filesystem;
using namespace vocodec;

namespace {

class VocodecTool : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("vocodec_tool_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    int Run(std::vector<std::string> args) {
        m_out.str("");
        m_err.str("");
        return RunVocodecTool(args, m_out, m_err);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }

    fs::path m_dir;
    std::ostringstream m_out, m_err;
};

}  // namespace

TEST_F(VocodecTool, HelpAndUsageErrors) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(m_out.str().find("vocodec encode IN.wav OUT.Bin"), std::string::npos);
    EXPECT_EQ(Run({"encode", "--help"}), 0);
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"transcode", "a", "b"}), 2);
    EXPECT_NE(m_err.str().find("unknown command 'transcode'"), std::string::npos);
    EXPECT_EQ(Run({"encode", "only.wav"}), 2);
    EXPECT_EQ(Run({"encode", "a.wav", "b.Bin", "--quality", "XP"}), 2);
    EXPECT_NE(m_err.str().find("XP"), std::string::npos);
    EXPECT_EQ(Run({"encode", "a.wav", "b.Bin", "--quality"}), 2);
    EXPECT_EQ(Run({"decode", "a.Bin", "b.wav", "--loud"}), 2);
}

TEST_F(VocodecTool, BadInputFailsClearlyAndWritesNothing) {
    EXPECT_EQ(Run({"encode", Path("missing.wav"), Path("out.Bin")}), 1);
    EXPECT_NE(m_err.str().find("missing.wav"), std::string::npos);

    EXPECT_EQ(Run({"encode", m_dir.string(), Path("out.Bin")}), 1);  // a folder
    EXPECT_NE(m_err.str().find("cannot read"), std::string::npos);
    EXPECT_EQ(Run({"decode", m_dir.string(), Path("out.wav")}), 1);

    WriteBytes("text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'});
    EXPECT_EQ(Run({"encode", Path("text.wav"), Path("out.Bin")}), 1);
    EXPECT_NE(m_err.str().find("not a RIFF WAVE file"), std::string::npos);

    // 8-bit PCM: a real WAV, but not one we take.
    auto wav = MakeWav(SpeechClip(0).data(), 100, 8000);
    wav[34] = 8;
    WriteBytes("eight.wav", wav);
    EXPECT_EQ(Run({"encode", Path("eight.wav"), Path("out.Bin")}), 1);
    EXPECT_NE(m_err.str().find("16-bit"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("out.Bin")));

    const auto& clip = SpeechClip(0);
    WriteBytes("good.wav", MakeWav(clip.data(), clip.size(), 8000));
    EXPECT_EQ(Run({"encode", Path("good.wav"), Path("no/such/folder/out.Bin")}), 1);
    EXPECT_NE(m_err.str().find("cannot create"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("no")));
}

TEST_F(VocodecTool, EncodesAMessageAndDecodesItBack) {
    const auto& clip = SpeechClip(1);
    WriteBytes("in.wav", MakeWav(clip.data(), clip.size(), 8000));
    ASSERT_EQ(Run({"encode", Path("in.wav"), Path("m.Bin"), "--quality", "lp", "--message"}), 0)
        << m_err.str();
    EXPECT_EQ(fs::file_size(Path("m.Bin")) % kMessageBlockBytes, 0u);
    std::vector<std::uint8_t> bin;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("m.Bin"), bin, error));
    EXPECT_EQ(KindOfHeader(bin[0]) == FrameKind::LowRate ||
                  KindOfHeader(bin[0]) == FrameKind::ComfortNoise,
              true);

    ASSERT_EQ(Run({"decode", Path("m.Bin"), Path("out.wav")}), 0) << m_err.str();
    WavAudio audio;
    ASSERT_TRUE(ReadWavFile(Path("out.wav"), audio, error)) << error;
    EXPECT_EQ(audio.sampleRate, 8000);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.samples.size(), (clip.size() + 159) / 160 * 160);
    EXPECT_FALSE(fs::exists(Path("out.wav.part")));
}

TEST_F(VocodecTool, LongInputShowsProgressAndCodesAsInOneGo) {
    // Over a minute of speech, coded in pieces for the progress display: the stream must be
    // the same as coding it whole.
    std::vector<std::int16_t> pcm;
    while (pcm.size() < 61u * 8000) {
        const auto& clip = SpeechClip(static_cast<int>(pcm.size() % 5));
        pcm.insert(pcm.end(), clip.begin(), clip.end());
    }
    WriteBytes("long.wav", MakeWav(pcm.data(), pcm.size(), 8000));
    m_out.str("");
    m_err.str("");
    ASSERT_EQ(RunVocodecTool({"encode", Path("long.wav"), Path("long.Bin"), "--quality", "MP"},
                             m_out, m_err, true),
              0);
    EXPECT_NE(m_err.str().find("encoding 100%"), std::string::npos);
    std::vector<std::uint8_t> bin;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("long.Bin"), bin, error));
    EncoderOptions options;
    options.quality = Quality::MP;
    EXPECT_EQ(bin, EncodeSpeech(pcm.data(), pcm.size(), options));
}

TEST_F(VocodecTool, OtherRatesAndStereoAreResampledToMono) {
    // One second of a 500 Hz tone at 16000 samples per second in two channels.
    std::vector<std::int16_t> stereo(2 * 16000);
    for (int i = 0; i < 16000; ++i)
        stereo[2 * i] = stereo[2 * i + 1] =
            static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265 * 500 * i / 16000.0));
    auto wav = MakeWav(stereo.data(), stereo.size(), 16000);
    wav[22] = 2;  // channels
    wav[32] = 4;  // block alignment
    const std::uint32_t bytesPerSecond = 16000 * 4;
    for (int i = 0; i < 4; ++i) wav[28 + i] = static_cast<std::uint8_t>(bytesPerSecond >> (8 * i));
    WriteBytes("wide.wav", wav);
    ASSERT_EQ(Run({"encode", Path("wide.wav"), Path("w.Bin"), "--no-silence"}), 0) << m_err.str();
    EXPECT_NE(m_out.str().find("16000"), std::string::npos);
    EXPECT_EQ(fs::file_size(Path("w.Bin")), 50u * 24);
}
