// The download thread: the file, the progress, cancel, failures, and the hand-over of its end
// to the owner's thread.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/res/strings.h"
#include "tests/recorder/emulator_fixture.h"

namespace {

namespace fs = std::filesystem;
using End = RecorderLink::DownloadEnd;

class DownloadTest : public LinkOnEmulator {
protected:
    DownloadTest() {
        openInSetUp = false;
        options.counts = {3, 0, 8, 0, 1};
    }
    void SetUp() override {}

    // Gives message m of folder f exactly `blocks` blocks of recognisable data.
    void SetBlocks(int f, int m, int blocks) {
        emulator->WithModel([&](emu::RecorderModel& model) {
            auto& data = model.folders[f][m - 1].data;
            data.resize(static_cast<std::size_t>(blocks) * 528);
            for (std::size_t i = 0; i < data.size(); ++i)
                data[i] = static_cast<std::uint8_t>(i * 7 + m);
        });
    }
    std::string BinPath(int f, int m) const { return link->MessagePath(f, m, ".Bin"); }
    Bytes FileBytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // The bytes that went out after the download frame.
    Bytes AfterDownloadFrame() const {
        const Bytes wire = Wire();
        for (std::size_t i = 0; i + 4 <= wire.size(); ++i) {
            if (wire[i] == 0xAA && wire[i + 1] == 0xBF)
                return Bytes(wire.begin() + i + 4, wire.end());
        }
        return {};
    }
    // True once the 256 zero bytes of the cancel filler reached the recorder after the
    // download frame (the emulator reads them on its own thread, so give it a moment).
    bool RecorderGotCancelFiller() const {
        for (int i = 0; i < 200; ++i) {
            const Bytes after = AfterDownloadFrame();
            if (after.size() >= 256) {
                return std::all_of(after.begin(), after.begin() + 256,
                                   [](std::uint8_t b) { return b == 0; });
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(DownloadTest, WritesEveryBlockAndHandsTheEndToTheOwnersThread) {
    Open();
    SetBlocks(2, 7, 3);
    const auto ownerThread = std::this_thread::get_id();
    std::thread::id completedOn;
    owner->onComplete = [&](int) {
        completedOn = std::this_thread::get_id();
        // The handler sees the end already applied, as the window program's handler expects.
        EXPECT_EQ(link->m_directory.Entry(2, 7).downloaded, 1);
        EXPECT_EQ(link->LastDownloadEnd(), End::Complete);
    };
    EXPECT_EQ(link->StartDownload(2, 7), 1);
    EXPECT_EQ(link->m_nFolder, 2);
    EXPECT_EQ(link->m_nMessage, 7);
    EXPECT_EQ(owner->WaitForCompletion(), 1);

    EXPECT_EQ(completedOn, ownerThread);
    EXPECT_EQ(fs::path(BinPath(2, 7)).filename(), "2_07.Bin");
    const Bytes file = FileBytes(BinPath(2, 7));
    EXPECT_EQ(file.size(), 1584u);
    EXPECT_EQ(file, Stored(2, 7).data);
    EXPECT_EQ(Frames().back(), DownloadFrame(2, 7));
    EXPECT_TRUE(AfterDownloadFrame().empty());
    EXPECT_EQ(link->m_bCancelled, 0);
    const ProgressLog& p = *owner->progress;
    EXPECT_EQ(p.captions, (std::vector<std::string>{text::kReceiveCaption}));
    EXPECT_EQ(p.texts, (std::vector<std::string>{text::kReceiveText}));
    EXPECT_EQ(p.upper, 3);
    EXPECT_EQ(p.steps, 3);
    EXPECT_EQ(p.hides, 1);
    EXPECT_TRUE(p.hookInstalled);
    EXPECT_FALSE(link->IsBusy());
    EXPECT_FALSE(link->IsDownloading());
}

TEST_F(DownloadTest, AMessageOfNoBlocksGivesAnEmptyFile) {
    Open();
    EXPECT_EQ(link->StartDownload(1, 1), 1);  // folder 1 is empty: the recorder says 0 blocks
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    EXPECT_TRUE(fs::exists(BinPath(1, 1)));
    EXPECT_EQ(fs::file_size(BinPath(1, 1)), 0u);
    EXPECT_EQ(owner->progress->upper, 0);
    EXPECT_EQ(owner->progress->destroyed, 1);
}

TEST_F(DownloadTest, AnExistingFileOfThatNameIsReplaced) {
    Open();
    SetBlocks(0, 1, 1);
    std::ofstream(BinPath(0, 1)) << std::string(5000, 'x');
    link->StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    EXPECT_EQ(FileBytes(BinPath(0, 1)), Stored(0, 1).data);
}

TEST_F(DownloadTest, CancelStopsTheRecorderAndRemovesTheFile) {
    Open();
    SetBlocks(2, 1, 5);
    owner->cancelAfterSteps = 2;
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 1);
    EXPECT_EQ(link->LastDownloadEnd(), End::Cancelled);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
    EXPECT_TRUE(RecorderGotCancelFiller());
    EXPECT_EQ(link->m_directory.Entry(2, 1).downloaded, 0);
    // The line is usable again at once.
    EXPECT_EQ(link->ReadDirectory(), 1);
}

TEST_F(DownloadTest, CancelThroughTheHookFromAnotherThread) {
    options.paced = true;  // 137.5 ms a block: the thread is waiting when Cancel comes
    Open();
    SetBlocks(2, 1, 40);
    // The user's click arrives on another thread, through the hook the download installed.
    owner->onStep = [this](RecordingProgress& progress) {
        if (owner->progress->steps == 3) {
            std::thread([&progress] { progress.PressCancel(); }).join();
        }
    };
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 1);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
}

TEST_F(DownloadTest, CancelDownloadActsLikeTheCancelButton) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 40);
    link->StartDownload(2, 1);
    EXPECT_TRUE(link->IsDownloading());
    EXPECT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    link->CancelDownload();
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 1);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
}

TEST_F(DownloadTest, FileThatCannotBeCreatedEndsAsAFailure) {
    // Regression: the file's open was not checked; the transfer ran on into a file error.
    Open();
    SetBlocks(2, 1, 3);
    fs::create_directory(BinPath(2, 1));  // a folder where the file should go
    fs::create_directory(BinPath(2, 1) + "/keep");
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::FileError);
    EXPECT_NE(link->LastDownloadError().find("2_01.Bin"), std::string::npos);
    EXPECT_TRUE(RecorderGotCancelFiller());  // the recorder was stopped
    EXPECT_EQ(link->m_directory.Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, FileThatCannotBeWrittenEndsAsAFailure) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
    Open();
    SetBlocks(2, 1, 20);
    fs::create_symlink("/dev/full", BinPath(2, 1));  // every write: no space left
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::FileError);
    EXPECT_FALSE(fs::exists(fs::symlink_status(BinPath(2, 1))));
    EXPECT_EQ(link->m_directory.Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, WithoutAnOpenPortNothingIsSent) {
    emulator = std::make_unique<emu::RecorderEmulator>(options);
    ASSERT_TRUE(emulator->Start());
    owner = std::make_unique<TestOwner>("/dev/no-such-recorder-port");
    link = std::make_unique<RecorderLink>();
    link->Initialise(1, owner.get());
    link->StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::NotConnected);
    EXPECT_TRUE(owner->progress->captions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(DownloadTest, EveryOtherExchangeIsRefusedWhileItRuns) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 20);  // almost three seconds on the paced line
    link->StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    EXPECT_TRUE(link->IsBusy());
    EXPECT_EQ(link->SetMode(0), 0);
    EXPECT_EQ(link->ReadDirectory(), 0);
    EXPECT_EQ(link->FetchHeader(0, 1), 0);
    EXPECT_EQ(link->DeleteMessage(0, 1), 0);
    EXPECT_EQ(link->SetTime(1, 1), 0);
    EXPECT_EQ(link->SetDate(2020, 1, 1), 0);
    EXPECT_EQ(link->Connect(), 0);
    // A second download is refused with a failed completion of its own.
    EXPECT_EQ(link->StartDownload(0, 1), 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::Refused);
    // ...and the first one goes on undisturbed.
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{DownloadFrame(2, 1)}));
    EXPECT_EQ(FileBytes(BinPath(2, 1)), Stored(2, 1).data);
}

TEST_F(DownloadTest, StopDownloadCancelsWaitsAndNeverDelivers) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 40);
    link->StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    link->StopDownload();
    EXPECT_FALSE(link->IsBusy());
    EXPECT_EQ(link->m_bCancelled, 1);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
    owner->RunPosted();
    EXPECT_TRUE(owner->completions.empty());
    EXPECT_TRUE(RecorderGotCancelFiller());
}

TEST_F(DownloadTest, DestroyingTheLinkWhileTheCompletionWaitsIsSafe) {
    Open();
    SetBlocks(2, 1, 2);
    link->StartDownload(2, 1);
    // The transfer ends and posts its completion, which the owner has not run yet.
    for (int i = 0; i < 1000 && owner->PendingTasks() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(owner->PendingTasks(), 1u);
    EXPECT_TRUE(link->IsDownloading());  // until its end reached the owner
    link.reset();
    owner->RunPosted();  // the queued completion must not touch the link that is gone
    EXPECT_TRUE(owner->completions.empty());
}

TEST_F(DownloadTest, ReopeningThePortCancelsARunningDownload) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 40);
    link->StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    EXPECT_EQ(link->Initialise(1, owner.get()), 1);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
    EXPECT_TRUE(owner->completions.empty());
    EXPECT_EQ(link->SetTime(1, 1), 1);
}

TEST_F(DownloadTest, TheCompletionMayStartTheNextDownload) {
    Open();
    SetBlocks(2, 1, 1);
    SetBlocks(2, 2, 2);
    owner->onComplete = [&](int complete) {
        if (complete && link->m_nMessage == 1) link->StartDownload(2, 2);
    };
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletions(2), 1);
    EXPECT_EQ(FileBytes(BinPath(2, 2)), Stored(2, 2).data);
}

TEST_F(DownloadTest, AnOwnerWithoutAThreadOfItsOwnMayRunTheCompletionAtOnce) {
    Open();
    SetBlocks(2, 1, 2);
    owner->runAtOnce = true;
    std::thread::id completedOn;
    owner->onComplete = [&](int) { completedOn = std::this_thread::get_id(); };
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletions(1), 1);
    link->StopDownload();  // waits for the thread, which ran the completion
    EXPECT_NE(completedOn, std::this_thread::get_id());
    EXPECT_EQ(link->m_directory.Entry(2, 1).downloaded, 1);
    EXPECT_EQ(FileBytes(BinPath(2, 1)), Stored(2, 1).data);
    EXPECT_FALSE(link->IsBusy());
}

// These wait out the recorder's 3000 ms block time.

TEST_F(DownloadTest, SlowARecorderThatStopsMidTransferIsAFailure) {
    // Regression: missing blocks were skipped and the message reported complete, with a hole.
    Open();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.stopAfterBlocks = 1; });
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::LineBroken);
    EXPECT_NE(link->LastDownloadError().find("block 2 of 3"), std::string::npos);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
    EXPECT_TRUE(RecorderGotCancelFiller());
    EXPECT_EQ(link->m_directory.Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, SlowABlockCutShortBeforeTheLastIsAFailure) {
    // Regression: a block of which only part came counted as 528 bytes, the rest stale data.
    Open();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.breakAfterBytes = 528 + 100; });
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::LineBroken);
    EXPECT_FALSE(fs::exists(BinPath(2, 1)));
}

TEST_F(DownloadTest, SlowAShortLastBlockIsWrittenAsItCame) {
    Open();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.breakAfterBytes = 2 * 528 + 100; });
    link->StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    const Bytes file = FileBytes(BinPath(2, 1));
    const Bytes& data = Stored(2, 1).data;
    ASSERT_EQ(file.size(), 2u * 528 + 100);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), data.begin()));
}

TEST_F(DownloadTest, SlowNoStatusFrameMeansNoProgressAndNoFile) {
    Open();
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    link->StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_EQ(link->m_bCancelled, 0);
    EXPECT_EQ(link->LastDownloadEnd(), End::NoReply);
    EXPECT_TRUE(owner->progress->captions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

}  // namespace
