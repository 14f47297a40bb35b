// The download thread: the file, the progress, cancel, failures, and the hand-over of its end
// to the owner's thread.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/res/strings.h"
#include "tests/support/link_fixture.h"

namespace {

namespace fs = std::filesystem;

// While it lives, no file of this process grows beyond a size: writes past it fail (EFBIG), as
// they would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

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
    std::string BinPath(int f, int m) const {
        return MessageFilePath(owner->WorkingFolder(), f, m, ".Bin");
    }
    void StartDownload(int f, int m) { link->StartDownload(f, m, owner->Request()); }
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
    owner->onComplete = [&](const Result& result) {
        completedOn = std::this_thread::get_id();
        // The handler sees the end already applied, as the window program's handler expects.
        EXPECT_EQ(link->Directory().Entry(2, 7).downloaded, 1);
        EXPECT_FALSE(link->IsBusy());
        EXPECT_TRUE(result) << result;
    };
    StartDownload(2, 7);
    EXPECT_EQ(link->DownloadTarget(), std::make_pair(2, 7));
    EXPECT_EQ(owner->WaitForCompletion(), 1);

    EXPECT_EQ(completedOn, ownerThread);
    EXPECT_EQ(fs::path(BinPath(2, 7)).filename(), "2_07.Bin");
    const Bytes file = FileBytes(BinPath(2, 7));
    EXPECT_EQ(file.size(), 1584u);
    EXPECT_EQ(file, Stored(2, 7).data);
    EXPECT_EQ(Frames().back(), frames::Download(2, 7));
    EXPECT_TRUE(AfterDownloadFrame().empty());
    EXPECT_EQ(fs::directory_iterator(owner->Folder())->path(), BinPath(2, 7));  // nothing else
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
    StartDownload(1, 1);  // folder 1 is empty: the recorder says 0 blocks
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
    StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    EXPECT_EQ(FileBytes(BinPath(0, 1)), Stored(0, 1).data);
}

TEST_F(DownloadTest, CancelStopsTheRecorderAndRemovesTheFile) {
    Open();
    SetBlocks(2, 1, 5);
    owner->cancelAfterSteps = 2;
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::Cancelled)) << owner->LastResult();
    EXPECT_TRUE(fs::is_empty(owner->Folder()));  // neither the file nor its staged part
    EXPECT_TRUE(RecorderGotCancelFiller());
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 0);
    // The line is usable again at once.
    EXPECT_TRUE(link->ReadDirectory());
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
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::Cancelled)) << owner->LastResult();
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(DownloadTest, CancelDownloadActsLikeTheCancelButton) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 40);
    StartDownload(2, 1);
    EXPECT_TRUE(link->IsDownloading());
    EXPECT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    link->CancelDownload();
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::Cancelled)) << owner->LastResult();
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(DownloadTest, FileThatCannotBeCreatedEndsAsAFailure) {
    // Regression: the file's open was not checked; the transfer ran on into a file error.
    Open();
    SetBlocks(2, 1, 3);
    fs::create_directory(BinPath(2, 1));  // a folder where the file should go
    fs::create_directory(BinPath(2, 1) + "/keep");
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::FileNotWritten)) << owner->LastResult();
    EXPECT_EQ(owner->LastResult().Detail(), BinPath(2, 1) + ": Is a directory");
    EXPECT_TRUE(RecorderGotCancelFiller());  // the recorder was stopped
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, FileThatCannotBeWrittenEndsAsAFailure) {
    Open();
    SetBlocks(2, 1, 20);
    {
        // Every file this process writes fills up after 1000 bytes, as a full disk would.
        FileSizeLimit full(1000);
        StartDownload(2, 1);
        EXPECT_EQ(owner->WaitForCompletion(), 0);
    }
    EXPECT_TRUE(owner->LastResult().Is(Category::FileNotWritten)) << owner->LastResult();
    EXPECT_EQ(owner->LastResult().Detail().find(BinPath(2, 1) + ": "), 0u);
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, WithoutAnOpenPortNothingIsSent) {
    emulator = std::make_unique<emu::RecorderEmulator>(options);
    ASSERT_TRUE(emulator->Start());
    owner = std::make_unique<TestOwner>();
    link = std::make_unique<RecorderLink>();
    link->Initialise("/dev/no-such-recorder-port");
    StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::NotConnected)) << owner->LastResult();
    EXPECT_TRUE(owner->progress->captions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(DownloadTest, EveryOtherExchangeIsRefusedWhileItRuns) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 20);  // almost three seconds on the paced line
    StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    EXPECT_TRUE(link->IsBusy());
    for (const Result& refused :
         {link->SetMode(0), link->ReadDirectory(), link->FetchHeader(0, 1),
          link->DeleteMessage(0, 1), link->SetTime(1, 1), link->SetDate(2020, 1, 1),
          link->Connect(owner->Progress()),
          link->Download(0, 1, owner->WorkingFolder(), owner->Progress())}) {
        EXPECT_TRUE(refused.Is(Category::Busy)) << refused;
    }
    // A second download is refused with a failed completion of its own.
    StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::Busy)) << owner->LastResult();
    // ...and the first one goes on undisturbed.
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{frames::Download(2, 1)}));
    EXPECT_EQ(FileBytes(BinPath(2, 1)), Stored(2, 1).data);
}

TEST_F(DownloadTest, StopDownloadCancelsWaitsAndNeverDelivers) {
    options.paced = true;
    Open();
    SetBlocks(2, 1, 40);
    StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    link->StopDownload();
    EXPECT_FALSE(link->IsBusy());
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 0);
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
    owner->RunPosted();
    EXPECT_TRUE(owner->completions.empty());
    EXPECT_TRUE(RecorderGotCancelFiller());
}

TEST_F(DownloadTest, DestroyingTheLinkWhileTheCompletionWaitsIsSafe) {
    Open();
    SetBlocks(2, 1, 2);
    StartDownload(2, 1);
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
    StartDownload(2, 1);
    ASSERT_TRUE(emulator->WaitForFrames(1, std::chrono::seconds(5)));
    EXPECT_TRUE(link->Initialise(emulator->DevicePath()));
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
    EXPECT_TRUE(owner->completions.empty());
    // The recorder stops at the filler; what it sent before hearing it may still come after
    // the new port's flush, as on a real line, and the next exchange's own flush takes it.
    ASSERT_TRUE(WaitForBytes(4 + 256));
    EXPECT_TRUE(link->SetTime(1, 1));
}

TEST_F(DownloadTest, TheCompletionMayStartTheNextDownload) {
    Open();
    SetBlocks(2, 1, 1);
    SetBlocks(2, 2, 2);
    owner->onComplete = [&](const Result& result) {
        if (result && link->DownloadTarget().second == 1) StartDownload(2, 2);
    };
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletions(2), 1);
    EXPECT_EQ(FileBytes(BinPath(2, 2)), Stored(2, 2).data);
}

TEST_F(DownloadTest, AnOwnerWithoutAThreadOfItsOwnMayRunTheCompletionAtOnce) {
    Open();
    SetBlocks(2, 1, 2);
    owner->runAtOnce = true;
    std::thread::id completedOn;
    owner->onComplete = [&](const Result&) { completedOn = std::this_thread::get_id(); };
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletions(1), 1);
    link->StopDownload();  // waits for the thread, which ran the completion
    EXPECT_NE(completedOn, std::this_thread::get_id());
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 1);
    EXPECT_EQ(FileBytes(BinPath(2, 1)), Stored(2, 1).data);
    EXPECT_FALSE(link->IsBusy());
}

// These wait out a reply time: the quick one a test may set.

TEST_F(DownloadTest, ARecorderThatStopsMidTransferIsAFailure) {
    // Regression: missing blocks were skipped and the message reported complete, with a hole.
    Open();
    QuickReplies();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.stopAfterBlocks = 1; });
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::LineSilent)) << owner->LastResult();
    EXPECT_EQ(owner->LastResult().Detail(), "block 2 of 3 did not arrive");
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
    EXPECT_TRUE(RecorderGotCancelFiller());
    EXPECT_EQ(link->Directory().Entry(2, 1).downloaded, 0);
}

TEST_F(DownloadTest, ABlockCutShortBeforeTheLastIsAFailure) {
    // Regression: a block of which only part came counted as 528 bytes, the rest stale data.
    Open();
    QuickReplies();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.breakAfterBytes = 528 + 100; });
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::ReplyWrong)) << owner->LastResult();
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(DownloadTest, AShortLastBlockIsWrittenAsItCame) {
    Open();
    QuickReplies();
    SetBlocks(2, 1, 3);
    SetFaults([](emu::FaultSwitches& f) { f.breakAfterBytes = 2 * 528 + 100; });
    StartDownload(2, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 1);
    const Bytes file = FileBytes(BinPath(2, 1));
    const Bytes& data = Stored(2, 1).data;
    ASSERT_EQ(file.size(), 2u * 528 + 100);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), data.begin()));
}

TEST_F(DownloadTest, NoStatusFrameMeansNoProgressAndNoFile) {
    Open();
    QuickReplies();
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    StartDownload(0, 1);
    EXPECT_EQ(owner->WaitForCompletion(), 0);
    EXPECT_TRUE(owner->LastResult().Is(Category::LineSilent)) << owner->LastResult();
    EXPECT_TRUE(owner->progress->captions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

}  // namespace
