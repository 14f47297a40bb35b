// The message-files service: a message's ".Bin" and ".wav" in the working folder each call
// names, the flags kept and checked against the files, and the conversion at the rate of the
// recorder's mode with the converted flag only for a whole file.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/messages/message_files.h"
#include "core/res/strings.h"
#include "tests/convert/convert_test_support.h"
#include "tests/support/link_fixture.h"

namespace {

namespace fs = std::filesystem;
using convert_test::Get32;
using convert_test::kMissingEntryLibrary;
using convert_test::kProbeLibrary;
using convert_test::ReadWav;
using convert_test::TempFolder;
using convert_test::WriteFile;

class MessageFilesTest : public LinkOnEmulator {
protected:
    void SetUp() override {
        LinkOnEmulator::SetUp();
        ASSERT_EQ(decoder.Load(kProbeLibrary), DecoderLibrary::Status::Ready) << decoder.Error();
        service = std::make_unique<MessageFiles>(*link, decoder);
    }
    int Converted(int folder, int message) const {
        return link->Directory().Entry(folder, message).converted;
    }
    std::string File(const char* name) const { return owner->WorkingFolder() + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(owner->Folder())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::size_t DownloadRequests() const {
        const auto frames = Frames();
        return static_cast<std::size_t>(std::count_if(frames.begin(), frames.end(),
                                                      [](const Frame& f) { return f[1] == 0xBF; }));
    }
    ConvertResult Convert(int folder, int message) {
        log = std::make_shared<convert_test::RecordingProgress::Log>();
        return service->ConvertToWav(folder, message, owner->WorkingFolder(),
                                     convert_test::RecordingProgress::Factory(log));
    }

    DecoderLibrary decoder;
    std::unique_ptr<MessageFiles> service;
    std::shared_ptr<convert_test::RecordingProgress::Log> log;
};

TEST_F(MessageFilesTest, ConvertsTheMessagesBinAtTheModesRateAndMarksIt) {
    WriteFile(File("2_07.Bin"), {0xC0, 1, 2, 3, 0xE0, 0x02});
    WriteFile(File("4_100.Bin"), {0xC0, 1, 2, 3});
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    ASSERT_TRUE(link->SetMode(1));
    ASSERT_EQ(link->Mode(), 1);
    const ConvertResult first = Convert(2, 7);
    ASSERT_TRUE(first) << first;
    EXPECT_EQ(first.blocks, 3u);
    EXPECT_EQ(Converted(2, 7), 1);
    const convert_test::WavFile wav = ReadWav(File("2_07.wav"));
    EXPECT_EQ(wav.Blocks().size(), 3u);
    EXPECT_EQ(Get32(wav.header.data() + 24), 7200u);
    EXPECT_EQ(log->captions, std::vector<std::string>{text::kConvertCaption});
    EXPECT_EQ(log->hides, 1);
    EXPECT_EQ(log->destroyed, 1);

    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 2; });
    ASSERT_TRUE(link->SetMode(1));
    ASSERT_TRUE(Convert(4, 100));
    EXPECT_EQ(Get32(ReadWav(File("4_100.wav")).header.data() + 24), 8000u);
    EXPECT_EQ(Converted(4, 100), 1);
    EXPECT_EQ(Converted(2, 8), 0);
}

TEST_F(MessageFilesTest, ConversionFailuresLeaveTheFlagClearAndNoWav) {
    // No ".Bin": nothing shown, nothing written.
    EXPECT_TRUE(Convert(0, 1).Is(Category::FileNotRead));
    EXPECT_EQ(Converted(0, 1), 0);
    EXPECT_TRUE(log->captions.empty());

    // The ".wav" vanishes while it is written (its folder cleared underneath).
    Bytes bin;
    for (int i = 0; i < 200; ++i) bin.insert(bin.end(), {0xC0, 1, 2, 3});
    WriteFile(File("0_02.Bin"), bin);
    log = std::make_shared<convert_test::RecordingProgress::Log>();
    log->onStep = [this](int step) {
        if (step != 4) return;
        for (const auto& name : Names()) {
            if (name != "0_02.Bin") ::unlink(File(name.c_str()).c_str());
        }
    };
    const ConvertResult vanished = service->ConvertToWav(
        0, 2, owner->WorkingFolder(), convert_test::RecordingProgress::Factory(log));
    EXPECT_TRUE(vanished.Is(Category::FileNotWritten)) << vanished;
    EXPECT_EQ(Converted(0, 2), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"0_02.Bin"});
    EXPECT_EQ(log->hides, 1) << "the progress closes on failure too";

    // No decoder: never called through a null entry.
    decoder.Release();
    EXPECT_TRUE(Convert(0, 2).Is(Category::DecoderMissing));
    EXPECT_EQ(Converted(0, 2), 0);
    decoder.Load("libno-such-decoder.so");
    EXPECT_TRUE(Convert(0, 2).Is(Category::DecoderMissing));
    decoder.Load(kMissingEntryLibrary);
    const ConvertResult missing = Convert(0, 2);
    EXPECT_TRUE(missing.Is(Category::DecoderMissing));
    EXPECT_NE(missing.Detail().find("vDecode"), std::string::npos) << missing;
    EXPECT_EQ(Converted(0, 2), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"0_02.Bin"});
}

TEST_F(MessageFilesTest, NumbersOutsideTheDirectoryAndNoWorkingFolderAreRefused) {
    WriteFile(File("0_01.Bin"), {0xC0, 1, 2, 3});
    for (const auto& [folder, message] :
         {std::pair{-1, 1}, std::pair{5, 1}, std::pair{0, 0}, std::pair{0, 101}}) {
        EXPECT_TRUE(Convert(folder, message).Is(Category::BadRequest)) << folder << " " << message;
    }
    // Without a working folder the paths would be relative to wherever the program runs.
    const auto progress = convert_test::RecordingProgress::Factory(log);
    EXPECT_TRUE(service->ConvertToWav(0, 1, "", progress).Is(Category::BadRequest));
    EXPECT_TRUE(service->EnsureBin(0, 1, "", progress).Is(Category::BadRequest));
    EXPECT_TRUE(service->EnsureWav(0, 1, "", progress).Is(Category::BadRequest));
    EXPECT_EQ(Names(), std::vector<std::string>{"0_01.Bin"});
    EXPECT_TRUE(Frames().empty());
}

TEST_F(MessageFilesTest, AFileIsFetchedOnceAndAgainWhenItHasGone) {
    ASSERT_TRUE(service->EnsureBin(3, 2, owner->WorkingFolder(), owner->Progress()));
    EXPECT_EQ(DownloadRequests(), 1u);
    EXPECT_EQ(link->Directory().Entry(3, 2).downloaded, 1);
    EXPECT_TRUE(service->HasBin(3, 2, owner->WorkingFolder()));
    // There already: nothing is asked of the recorder.
    ASSERT_TRUE(service->EnsureBin(3, 2, owner->WorkingFolder(), owner->Progress()));
    EXPECT_EQ(DownloadRequests(), 1u);
    // The flag is not trusted once the file has gone (the file list can delete it).
    fs::remove(File("3_02.Bin"));
    EXPECT_FALSE(service->HasBin(3, 2, owner->WorkingFolder()));
    ASSERT_TRUE(service->EnsureBin(3, 2, owner->WorkingFolder(), owner->Progress()));
    EXPECT_EQ(DownloadRequests(), 2u);
    EXPECT_EQ(convert_test::ReadFile(File("3_02.Bin")), Stored(3, 2).data);
}

TEST_F(MessageFilesTest, AWavIsMadeFromWhatIsThereAndOnlyOnce) {
    const ConvertResult made = service->EnsureWav(0, 3, owner->WorkingFolder(), owner->Progress());
    ASSERT_TRUE(made) << made;
    EXPECT_GT(made.blocks, 0u);
    EXPECT_EQ(owner->progress->captions,
              (std::vector<std::string>{text::kReceiveCaption, text::kConvertCaption}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"0_03.Bin", "0_03.wav"}));
    EXPECT_TRUE(service->HasWav(0, 3, owner->WorkingFolder()));

    // Both there: nothing downloaded or converted again.
    ASSERT_TRUE(service->EnsureWav(0, 3, owner->WorkingFolder(), owner->Progress()));
    EXPECT_EQ(DownloadRequests(), 1u);
    EXPECT_EQ(owner->progress->captions.size(), 2u);
    // The WAV gone, the ".Bin" still there: converted again, not downloaded.
    fs::remove(File("0_03.wav"));
    ASSERT_TRUE(service->EnsureWav(0, 3, owner->WorkingFolder(), owner->Progress()));
    EXPECT_EQ(DownloadRequests(), 1u);
    EXPECT_EQ(owner->progress->captions.back(), text::kConvertCaption);

    // Without a decoder the recorder is not even asked for the message.
    decoder.Release();
    EXPECT_TRUE(service->EnsureWav(0, 1, owner->WorkingFolder(), owner->Progress())
                    .Is(Category::DecoderMissing));
    EXPECT_EQ(DownloadRequests(), 1u);
}

}  // namespace
