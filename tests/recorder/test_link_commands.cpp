// Every single-frame command against the recorder emulator: the bytes on the wire, the reply
// checks and what the link keeps of the answer.
#include <thread>

#include "core/res/strings.h"
#include "tests/support/link_fixture.h"

namespace {

using CommandsTest = LinkOnEmulator;

TEST_F(CommandsTest, ModeFramesAndTheRecorderVariant) {
    EXPECT_EQ(link->Mode(), 1);  // until a recorder answered
    EXPECT_TRUE(link->SetMode(1));
    EXPECT_EQ(link->Mode(), 2);  // the emulator answers as the second variant by default
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    EXPECT_TRUE(link->SetMode(1));
    EXPECT_EQ(link->Mode(), 1);
    EXPECT_TRUE(link->SetMode(0));
    EXPECT_EQ(Frames(), (std::vector<Frame>{frames::kModeOn, frames::kModeOn, frames::kModeOff}));
    EXPECT_EQ(Wire().size(), 12u);  // nothing but the frames
}

TEST_F(CommandsTest, DirectoryReadStartsWithModeOnAndKeepsTheCounts) {
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[2].resize(0); });
    ASSERT_TRUE(link->ReadDirectory());
    EXPECT_EQ(Frames(), (std::vector<Frame>{frames::kModeOn, frames::kDirectory}));
    EXPECT_EQ(link->Directory().Marker(), 0xFF);
    const std::array<std::uint8_t, 5> expected{3, 1, 0, 2, 4};  // the emulator's default content
    EXPECT_EQ(link->Directory().AllCounts(), expected);
}

TEST_F(CommandsTest, DirectoryCountsAboveAHundredAreClamped) {
    // Regression: a count above 100 sent the connect past the end of the folder's entries.
    SetFaults([](emu::FaultSwitches& f) { f.reportedCounts = {150, 100, 101, 0, 255}; });
    ASSERT_TRUE(link->ReadDirectory());
    const std::array<std::uint8_t, 5> expected{100, 100, 100, 0, 100};
    EXPECT_EQ(link->Directory().AllCounts(), expected);
}

TEST_F(CommandsTest, HeaderIsStoredUnderItsFolderAndNumber) {
    ASSERT_TRUE(link->FetchHeader(4, 3));
    EXPECT_EQ(Frames().back(), frames::Header(4, 3));
    const auto block = Stored(4, 3).HeaderBlock();
    const auto& header = link->Directory().Entry(4, 3).header.bytes;
    EXPECT_TRUE(std::equal(header.begin(), header.end(), block.begin()));
    EXPECT_EQ(header[4] | header[5] << 8, Stored(4, 3).Blocks());
    EXPECT_EQ(link->Directory().Entry(4, 3).loaded, 0);  // only a connect marks it loaded
}

TEST_F(CommandsTest, DeleteFrameRemovesTheMessageOnTheRecorder) {
    const auto second = Stored(0, 2);
    ASSERT_TRUE(link->DeleteMessage(0, 1));
    EXPECT_EQ(Frames(), (std::vector<Frame>{{0xAA, 0xBE, 0x00, 0x01}}));
    EXPECT_EQ(Stored(0, 1).data, second.data);
}

TEST_F(CommandsTest, ClockFramesCarryTheCodedValues) {
    ASSERT_TRUE(link->SetTime(13, 45));
    ASSERT_TRUE(link->SetDate(2002, 1, 1));
    ASSERT_TRUE(link->SetDate(2001, 1, 1));
    ASSERT_TRUE(link->SetDate(1999, 6, 30));
    EXPECT_EQ(Frames(), (std::vector<Frame>{{0xAA, 0xC1, 0xAE, 0x60},
                                            {0xAA, 0xC2, 0x6D, 0x01},
                                            {0xAA, 0xC2, 0x00, 0x00},
                                            {0xAA, 0xC2, 0x00, 0x00}}));
    emulator->WithModel([](emu::RecorderModel& m) { EXPECT_EQ(m.clockTime, 24750); });
}

TEST_F(CommandsTest, WrongEchoFailsOnlyTheCommandsThatCheckIt) {
    SetFaults([](emu::FaultSwitches& f) { f.wrongEcho = true; });
    EXPECT_TRUE(link->ReadDirectory().Is(Category::ReplyWrong));  // though the 528 bytes follow
    EXPECT_TRUE(link->SetTime(1, 2).Is(Category::ReplyWrong));
    EXPECT_TRUE(link->SetDate(2020, 2, 2).Is(Category::ReplyWrong));
    EXPECT_TRUE(link->FetchHeader(0, 1));    // its status is not examined
    EXPECT_TRUE(link->DeleteMessage(0, 1));  // any four bytes confirm a delete
}

TEST_F(CommandsTest, ADeviceThatVanishesFailsTheExchange) {
    ASSERT_TRUE(link->SetTime(1, 2));
    SetFaults([](emu::FaultSwitches& f) { f.disappearAfterFrames = 0; });
    EXPECT_FALSE(link->SetDate(2020, 2, 2));
    const Result read = link->ReadDirectory();
    EXPECT_TRUE(read.Is(Category::LineSilent)) << read;
    EXPECT_NE(read.Detail().find(emulator->DevicePath()), std::string::npos) << read;
}

TEST_F(CommandsTest, ANoisyLineNeverLeavesTheDirectoryOutOfBounds) {
    SetFaults([](emu::FaultSwitches& f) { f.noiseRate = 0.3; });
    QuickReplies();
    for (int i = 0; i < 20; ++i) {
        link->ReadDirectory();
        for (int f = 0; f < 5; ++f) ASSERT_LE(link->Directory().Count(f), 100) << "read " << i;
    }
}

TEST(CommandsWithoutPort, NothingIsSentAndTheCallerIsToldWhy) {
    TestOwner owner;
    RecorderLink link;
    const Result opened = link.Initialise("/dev/no-such-recorder-port");
    EXPECT_TRUE(opened.Is(Category::PortNotOpened)) << opened;
    EXPECT_EQ(opened.Detail(), "/dev/no-such-recorder-port: no such device");
    EXPECT_FALSE(link.IsConnected());
    for (const Result& result :
         {link.SetMode(1), link.ReadDirectory(), link.FetchHeader(0, 1), link.DeleteMessage(0, 1),
          link.SetTime(1, 1), link.SetDate(2001, 1, 1), link.Connect(owner.Progress())}) {
        EXPECT_TRUE(result.Is(Category::NotConnected)) << result;
    }
    EXPECT_TRUE(owner.progress->captions.empty());
}

TEST_F(CommandsTest, ReopeningTheSamePortWorks) {
    EXPECT_TRUE(link->Initialise(emulator->DevicePath()));
    EXPECT_TRUE(link->Initialise(emulator->DevicePath()));
    EXPECT_TRUE(link->ReadDirectory());
}

TEST_F(CommandsTest, ACancelledExchangeEndsWithoutAnotherWait) {
    // Regression: a cancel woke only the wait under way; the directory request after the mode
    // frame and the mode-off each waited their full 3000 ms against a silent recorder.
    using namespace std::chrono;
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    std::thread cancel([&] {
        emulator->WaitForFrames(1, seconds(5));
        std::this_thread::sleep_for(milliseconds(100));
        link->Cancel();
    });
    const auto start = steady_clock::now();
    EXPECT_TRUE(link->ReadDirectory().Is(Category::Cancelled));
    EXPECT_TRUE(link->SetMode(0));
    cancel.join();
    EXPECT_LT(steady_clock::now() - start, milliseconds(2000));
    // Everything was still said.
    emulator->WaitForFrames(3, seconds(5));
    EXPECT_EQ(Frames(),
              (std::vector<Frame>{frames::kModeOn, frames::kDirectory, frames::kModeOff}));

    // The next operation starts clean.
    SetFaults([](emu::FaultSwitches&) {});
    EXPECT_TRUE(link->ReadDirectory());
}

// Each of these waits out a reply time once or more: the quick one a test may set.

TEST_F(CommandsTest, ModeOffAfterASilentExchangeIsNotWaitedFor) {
    // Its reply is ignored anyway; a line that did not answer the last exchange is not worth
    // another full wait at the end of every failed session.
    using namespace std::chrono;
    QuickReplies();
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    EXPECT_TRUE(link->SetTime(1, 2).Is(Category::LineSilent));
    const auto start = steady_clock::now();
    EXPECT_TRUE(link->SetMode(0));
    EXPECT_LT(steady_clock::now() - start, milliseconds(kQuickReplyMs / 2));
    emulator->WaitForFrames(2, seconds(5));
    EXPECT_EQ(Frames().back(), frames::kModeOff);
}

TEST_F(CommandsTest, ShortRepliesFailEveryCheckedExchange) {
    // Regression: a reply that came only in part counted as complete, the rest of the buffer
    // stale, so a cut status frame still confirmed a delete.
    QuickReplies();
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 2; });
    EXPECT_TRUE(link->DeleteMessage(0, 1).Is(Category::ReplyWrong));
}

TEST_F(CommandsTest, ShortDirectoryReplyFails) {
    QuickReplies();
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 3; });
    EXPECT_TRUE(link->ReadDirectory().Is(Category::ReplyWrong));
}

TEST_F(CommandsTest, ModeOnReplyInPartStillDecidesTheVariant) {
    // Only the first two bytes arrive: bytes 2 and 3 keep 0x80, so the second variant, even
    // from a recorder that would have said 0x01.
    QuickReplies();
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 2; });
    EXPECT_TRUE(link->SetMode(1));
    EXPECT_EQ(link->Mode(), 2);
}

TEST_F(CommandsTest, SilentRecorderLeavesTheVariantAlone) {
    QuickReplies();
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    ASSERT_TRUE(link->SetMode(1));
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    EXPECT_TRUE(link->SetMode(1));
    EXPECT_EQ(link->Mode(), 1);
}

}  // namespace
