// `sonoret convert`: a ".Bin" file on the PC into a WAV file, no recorder involved.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/sonoret_cli.h"
#include "core/res/strings.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

class ConvertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::path(::testing::TempDir()) /
                   ("convert-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        // Three SP frames and a run of two silent blocks: five blocks of audio.
        for (int i = 0; i < 3; ++i) {
            m_bin.push_back(0x80);
            for (int j = 1; j < 24; ++j) m_bin.push_back(static_cast<std::uint8_t>(i + j));
        }
        m_bin.insert(m_bin.end(), {0xE0, 0x02, 0xFF, 0xFF});
        WriteAll(m_folder / "0_07.Bin", m_bin);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    int Run(const std::vector<std::string>& args) {
        m_out.str({});
        m_err.str({});
        return RunSonoret(args, CliContext{}, m_out, m_err);
    }
    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    fs::path m_folder;
    Bytes m_bin;
    std::ostringstream m_out, m_err;
};

TEST_F(ConvertCommand, WritesTheWavAtTheChosenRate) {
    ASSERT_EQ(Run({"convert", Path("0_07.Bin"), Path("a.wav")}), 0) << m_err.str();
    Bytes wav = ReadAll(Path("a.wav"));
    ASSERT_EQ(wav.size(), 44u + 5 * 320);
    EXPECT_EQ(Get32(wav, 24), 8000u) << "the 8000 samples per second variant by default";
    EXPECT_EQ(m_out.str(), Path("a.wav") + ": 0.1 s at 8000 samples per second\n");

    ASSERT_EQ(Run({"convert", Path("0_07.Bin"), Path("a.wav"), "--mode", "1"}), 0);
    wav = ReadAll(Path("a.wav"));
    EXPECT_EQ(Get32(wav, 24), 7200u);
    EXPECT_EQ(Get32(wav, 28), 14400u);
    EXPECT_EQ(ReadAll(Path("0_07.Bin")), m_bin) << "the message file stays as it was";
}

TEST_F(ConvertCommand, OutputNamesFollowTheInput) {
    // Into a folder: the input's name with .wav.
    fs::create_directories(m_folder / "out");
    ASSERT_EQ(Run({"convert", Path("0_07.Bin"), Path("out")}), 0) << m_err.str();
    EXPECT_TRUE(fs::exists(m_folder / "out" / "0_07.wav"));
    // No output named: the current folder.
    const fs::path here = fs::current_path();
    fs::current_path(m_folder / "out");
    const int status = Run({"convert", Path("0_07.Bin"), "--mode=1"});
    fs::current_path(here);
    EXPECT_EQ(status, 0) << m_err.str();
    EXPECT_EQ(Get32(ReadAll(m_folder / "out" / "0_07.wav"), 24), 7200u);
}

TEST_F(ConvertCommand, FailuresHaveTheirExitStatusAndLeaveNoFile) {
    EXPECT_EQ(Run({"convert"}), 2);
    EXPECT_EQ(Run({"convert", Path("0_07.Bin"), Path("a.wav"), "--mode", "3"}), 2);
    EXPECT_EQ(Run({"convert", Path("0_07.Bin"), Path("a.wav"), Path("b.wav")}), 2);

    EXPECT_EQ(Run({"convert", Path("missing.Bin"), Path("a.wav")}), 4);
    EXPECT_NE(m_err.str().find(text::kConvertFailed), std::string::npos) << m_err.str();
    EXPECT_NE(m_err.str().find("missing.Bin"), std::string::npos) << m_err.str();

    EXPECT_EQ(Run({"convert", Path("0_07.Bin"), Path("nowhere/a.wav")}), 6);
    EXPECT_NE(m_err.str().find("nowhere/a.wav"), std::string::npos) << m_err.str();

    // Asked to write over its own input: refused, the message kept.
    EXPECT_EQ(Run({"convert", Path("0_07.Bin"), Path("0_07.Bin")}), 6);
    EXPECT_EQ(ReadAll(Path("0_07.Bin")), m_bin);

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_folder)) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"0_07.Bin"});
}

}  // namespace
