// RecorderLink::ConvertToWav: the message's files in the owner's working folder, the rate of
// the recorder's mode, the "Convert" progress, and the converted flag only for a whole file.
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/link/recorder_link.h"
#include "core/res/strings.h"
#include "tests/convert/convert_test_support.h"

using namespace convert_test;

namespace {

class ConvertingOwner : public LinkOwner {
public:
    explicit ConvertingOwner(std::string folder) : m_folder(std::move(folder)) {}
    std::unique_ptr<ProgressDisplay> CreateProgress(const std::string& caption) override {
        captions.push_back(caption);
        return std::make_unique<RecordingProgress>(log);
    }
    void RunOnOwnerThread(std::function<void()> task) override { task(); }
    void OnDownloadComplete(int) override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string WorkingFolder() const override { return m_folder; }

    std::shared_ptr<RecordingProgress::Log> log = std::make_shared<RecordingProgress::Log>();
    std::vector<std::string> captions;
    std::vector<std::string> messages;

private:
    std::string m_folder;
};

class LinkConversion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_link.m_decoder.Load(kProbeLibrary), DecoderLibrary::Status::Ready);
        m_link.m_pOwner = &m_owner;
    }
    int Converted(int folder, int message) const {
        return m_link.m_directory.Entry(folder, message).converted;
    }

    TempFolder m_folder;
    ConvertingOwner m_owner{m_folder.Path()};
    RecorderLink m_link;
};

TEST_F(LinkConversion, ConvertsTheMessagesBinAtTheModesRateAndMarksIt) {
    WriteFile(m_folder.File("2_07.Bin"), {0xC0, 1, 2, 3, 0xE0, 0x02});
    WriteFile(m_folder.File("4_100.Bin"), {0xC0, 1, 2, 3});
    m_link.m_nMode = 1;
    ASSERT_EQ(m_link.ConvertToWav(2, 7), 1);
    EXPECT_EQ(Converted(2, 7), 1);
    const WavFile wav = ReadWav(m_folder.File("2_07.wav"));
    EXPECT_EQ(wav.Blocks().size(), 3u);
    EXPECT_EQ(Get32(wav.header.data() + 24), 7200u);
    EXPECT_EQ(m_owner.captions, std::vector<std::string>{text::kConvertCaption});
    EXPECT_EQ(m_owner.log->hides, 1);
    EXPECT_EQ(m_owner.log->destroyed, 1);

    m_link.m_nMode = 2;
    ASSERT_EQ(m_link.ConvertToWav(4, 100), 1);
    EXPECT_EQ(Get32(ReadWav(m_folder.File("4_100.wav")).header.data() + 24), 8000u);
    EXPECT_EQ(Converted(4, 100), 1);
    EXPECT_EQ(Converted(2, 8), 0);
    EXPECT_TRUE(m_owner.messages.empty());
}

TEST_F(LinkConversion, FailuresLeaveTheFlagClearAndNoWav) {
    // No ".Bin": nothing shown, nothing written.
    EXPECT_EQ(m_link.ConvertToWav(0, 1), 0);
    EXPECT_EQ(Converted(0, 1), 0);
    EXPECT_TRUE(m_owner.captions.empty());

    // The ".wav" vanishes while it is written (its folder cleared underneath).
    Bytes bin;
    for (int i = 0; i < 200; ++i) bin.insert(bin.end(), {0xC0, 1, 2, 3});
    WriteFile(m_folder.File("0_02.Bin"), bin);
    m_owner.log->onStep = [this](int step) {
        if (step != 4) return;
        for (const auto& name : m_folder.Names()) {
            if (name != "0_02.Bin") ::unlink(m_folder.File(name).c_str());
        }
    };
    EXPECT_EQ(m_link.ConvertToWav(0, 2), 0);
    EXPECT_EQ(Converted(0, 2), 0);
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_02.Bin"});
    EXPECT_EQ(m_owner.log->hides, 1) << "the progress closes on failure too";

    // No decoder: never called through a null entry.
    m_owner.log->onStep = nullptr;
    m_link.m_decoder.Release();
    EXPECT_EQ(m_link.ConvertToWav(0, 2), 0);
    EXPECT_EQ(Converted(0, 2), 0);
    m_link.m_decoder.Load("libno-such-decoder.so");
    EXPECT_EQ(m_link.ConvertToWav(0, 2), 0);
    m_link.m_decoder.Load(kMissingEntryLibrary);
    EXPECT_EQ(m_link.ConvertToWav(0, 2), 0);
    EXPECT_EQ(Converted(0, 2), 0);
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_02.Bin"});
}

TEST_F(LinkConversion, NumbersOutsideTheDirectoryAndAMissingOwnerAreRefused) {
    WriteFile(m_folder.File("0_01.Bin"), {0xC0, 1, 2, 3});
    for (const auto& [folder, message] :
         {std::pair{-1, 1}, std::pair{5, 1}, std::pair{0, 0}, std::pair{0, 101}}) {
        EXPECT_EQ(m_link.ConvertToWav(folder, message), 0) << folder << " " << message;
    }
    m_link.m_pOwner = nullptr;
    EXPECT_EQ(m_link.ConvertToWav(0, 1), 0);
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_01.Bin"});
}

}  // namespace
