// The asynchronous runner: every recorder operation on a worker thread, its progress made
// there, its end handed to the owner's thread while the worker waits, one at a time, cancel,
// and the give-up at close.
#include <filesystem>
#include <thread>

#include "core/messages/async_recorder_runner.h"
#include "core/res/strings.h"
#include "tests/convert/convert_test_support.h"
#include "tests/support/link_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

class RunnerTest : public LinkOnEmulator {
protected:
    RunnerTest() { openInSetUp = false; }
    void Start(bool paced = false) {
        options.paced = paced;
        Open();
        ASSERT_EQ(decoder.Load(convert_test::kProbeLibrary), DecoderLibrary::Status::Ready);
        files = std::make_unique<MessageFiles>(*link, decoder);
        runner = std::make_unique<AsyncRecorderRunner>(*link, *files);
    }
    void TearDown() override {
        runner.reset();
        files.reset();
        LinkOnEmulator::TearDown();
    }
    std::string File(const char* name) const { return owner->WorkingFolder() + name; }
    // The worker is done once the completion ran; the tests wait for the owner's thread.
    int Wait() { return owner->WaitForCompletion(); }

    DecoderLibrary decoder;
    std::unique_ptr<MessageFiles> files;
    std::unique_ptr<AsyncRecorderRunner> runner;
};

TEST_F(RunnerTest, AMessagesWavIsMadeOnAWorkerAndItsEndRunsOnTheOwnersThread) {
    Start();
    const auto ownerThread = std::this_thread::get_id();
    owner->onComplete = [&](const Result& result) {
        // The end is whole by the time the owner hears of it.
        EXPECT_TRUE(result) << result;
        EXPECT_TRUE(files->HasWav(4, 2, owner->WorkingFolder()));
        EXPECT_EQ(link->Directory().Entry(4, 2).downloaded, 1);
        EXPECT_FALSE(link->IsBusy());
    };
    ASSERT_TRUE(runner->EnsureWav(4, 2, owner->WorkingFolder(), owner->Progress(), owner->Poster(),
                                  owner->Completion()));
    EXPECT_EQ(Wait(), 1);
    EXPECT_EQ(owner->completionThreads, std::vector<std::thread::id>{ownerThread});
    // The progress displays were made where the work ran, never on the owner's thread.
    EXPECT_EQ(owner->progress->captions,
              (std::vector<std::string>{text::kReceiveCaption, text::kConvertCaption}));
    for (const auto& thread : owner->progress->threads) EXPECT_NE(thread, ownerThread);
    EXPECT_FALSE(runner->IsRunning());
    EXPECT_EQ(convert_test::ReadFile(File("4_02.Bin")), Stored(4, 2).data);
}

TEST_F(RunnerTest, ServesEveryOperationOfTheLinkOneAtATime) {
    Start();
    const TaskPoster post = owner->Poster();
    ASSERT_TRUE(runner->Connect(owner->Progress(), post, owner->Completion()));
    // A second operation while the first runs is refused, with an end of its own.
    EXPECT_FALSE(runner->SetTime(13, 45, post, owner->Completion()));
    EXPECT_EQ(owner->WaitForCompletions(2), 1);
    EXPECT_TRUE(owner->completions[0].Is(Category::Busy)) << owner->completions[0];
    EXPECT_EQ(link->Directory().Count(4), 4);

    ASSERT_TRUE(runner->SetTime(13, 45, post, owner->Completion()));
    EXPECT_EQ(Wait(), 1);
    ASSERT_TRUE(runner->SetDate(2002, 1, 1, post, owner->Completion()));
    EXPECT_EQ(Wait(), 1);
    const auto frames = Frames();
    EXPECT_EQ(frames[frames.size() - 2], (Frame{0xAA, 0xC1, 0xAE, 0x60}));
    EXPECT_EQ(frames.back(), (Frame{0xAA, 0xC2, 0x6D, 0x01}));

    // Delete: the recorder's message, then the copies of the PC renumbered.
    convert_test::WriteFile(File("4_03.Bin"), {1, 2, 3});
    link->Directory().Entry(4, 3).downloaded = 1;
    const auto third = Stored(4, 3);
    ASSERT_TRUE(runner->Delete(4, 2, owner->WorkingFolder(), post, owner->Completion()));
    EXPECT_EQ(Wait(), 1);
    EXPECT_EQ(Frames().back(), (Frame{0xAA, 0xBE, 0x04, 0x02}));
    EXPECT_EQ(Stored(4, 2).data, third.data);
    EXPECT_EQ(link->Directory().Count(4), 3);
    EXPECT_EQ(convert_test::ReadFile(File("4_02.Bin")), (Bytes{1, 2, 3}));
    EXPECT_EQ(link->Directory().Entry(4, 2).downloaded, 1);

    // Anything else the link does runs the same way.
    ASSERT_TRUE(runner->Run([this] { return link->FetchHeader(0, 1); }, post, owner->Completion()));
    EXPECT_EQ(Wait(), 1);
}

TEST_F(RunnerTest, CancelEndsAConnectAtOnceAsCancelled) {
    options.counts = {40, 0, 0, 0, 0};  // 40 headers: eight seconds of pauses
    Start();
    ASSERT_TRUE(runner->Connect(owner->Progress(), owner->Poster(), owner->Completion()));
    ASSERT_TRUE(emulator->WaitForFrames(4, seconds(10)));
    const auto cancelled = steady_clock::now();
    runner->Cancel();
    EXPECT_EQ(Wait(), 0);
    EXPECT_LT(steady_clock::now() - cancelled, milliseconds(1500));
    EXPECT_TRUE(owner->LastResult().Is(Category::Cancelled)) << owner->LastResult();
    EXPECT_LT(Frames().size(), 10u);
    // The next operation starts clean.
    ASSERT_TRUE(runner->SetTime(1, 2, owner->Poster(), owner->Completion()));
    EXPECT_EQ(Wait(), 1);
}

TEST_F(RunnerTest, GivenUpAtCloseTheWorkStopsAndItsEndNeverRuns) {
    Start(/*paced=*/true);
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[0][0].data.assign(40 * 528, 7); });
    ASSERT_TRUE(runner->EnsureBin(0, 1, owner->WorkingFolder(), owner->Progress(), owner->Poster(),
                                  owner->Completion()));
    ASSERT_TRUE(emulator->WaitForFrames(1, seconds(5)));
    const auto closing = steady_clock::now();
    runner->GiveUp();
    EXPECT_LT(steady_clock::now() - closing, milliseconds(1500));
    EXPECT_FALSE(runner->IsRunning());
    EXPECT_FALSE(link->IsBusy());
    owner->RunPosted();
    EXPECT_TRUE(owner->completions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
    // The recorder was told to stop: the cancel filler followed the request.
    EXPECT_TRUE(emulator->WaitForBytes(4 + 256, seconds(5)));
}

TEST_F(RunnerTest, AGiveUpBeforeTheWorkListensStillStopsIt) {
    // A download forgets cancels left over from before it began; the close must not wait for
    // the whole transfer because its cancel came a moment too early.
    Start(/*paced=*/true);
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[0][0].data.assign(40 * 528, 7); });
    ASSERT_TRUE(runner->Run(
        [this] {
            std::this_thread::sleep_for(milliseconds(200));  // the give-up comes meanwhile
            return link->Download(0, 1, owner->WorkingFolder(), owner->Progress());
        },
        owner->Poster(), owner->Completion()));
    const auto closing = steady_clock::now();
    runner->GiveUp();
    EXPECT_LT(steady_clock::now() - closing, milliseconds(2000));
    owner->RunPosted();
    EXPECT_TRUE(owner->completions.empty());
    EXPECT_TRUE(fs::is_empty(owner->Folder()));
}

TEST_F(RunnerTest, AnEndAlreadyPostedIsDroppedWhenTheRunnerIsGivenUp) {
    Start();
    ASSERT_TRUE(runner->SetTime(1, 2, owner->Poster(), owner->Completion()));
    // The work ends and posts its end, which the owner has not run yet.
    for (int i = 0; i < 1000 && owner->PendingTasks() == 0; ++i) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_EQ(owner->PendingTasks(), 1u);
    runner.reset();
    files.reset();
    owner->RunPosted();  // must not touch the runner that is gone
    EXPECT_TRUE(owner->completions.empty());
}

}  // namespace
