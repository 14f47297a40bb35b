// Every single-frame command against the recorder emulator: the bytes on the wire, the reply
// checks and what the link keeps of the answer.
#include <thread>

#include "core/res/strings.h"
#include "tests/recorder/emulator_fixture.h"

namespace {

using CommandsTest = LinkOnEmulator;

TEST_F(CommandsTest, ModeFramesAndTheRecorderVariant) {
    EXPECT_EQ(link->m_nMode, 1);  // until a recorder answered
    EXPECT_EQ(link->SetMode(1), 1);
    EXPECT_EQ(link->m_nMode, 2);  // the emulator answers as the second variant by default
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    EXPECT_EQ(link->SetMode(1), 1);
    EXPECT_EQ(link->m_nMode, 1);
    EXPECT_EQ(link->SetMode(0), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{kModeOn, kModeOn, kModeOff}));
    EXPECT_EQ(Wire().size(), 12u);  // nothing but the frames
}

TEST_F(CommandsTest, DirectoryReadStartsWithModeOnAndKeepsTheCounts) {
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[2].resize(0); });
    ASSERT_EQ(link->ReadDirectory(), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{kModeOn, kDirectory}));
    EXPECT_EQ(link->m_directory.marker, 0xFF);
    const std::array<std::uint8_t, 5> expected{3, 1, 0, 2, 4};  // the emulator's default content
    EXPECT_EQ(link->m_directory.count, expected);
}

TEST_F(CommandsTest, DirectoryCountsAboveAHundredAreClamped) {
    // Regression: a count above 100 sent the connect past the end of the folder's entries.
    SetFaults([](emu::FaultSwitches& f) { f.reportedCounts = {150, 100, 101, 0, 255}; });
    ASSERT_EQ(link->ReadDirectory(), 1);
    const std::array<std::uint8_t, 5> expected{100, 100, 100, 0, 100};
    EXPECT_EQ(link->m_directory.count, expected);
}

TEST_F(CommandsTest, HeaderIsStoredUnderItsFolderAndNumber) {
    ASSERT_EQ(link->FetchHeader(4, 3), 1);
    EXPECT_EQ(Frames().back(), HeaderFrame(4, 3));
    const auto block = Stored(4, 3).HeaderBlock();
    const auto& header = link->m_directory.Entry(4, 3).header.bytes;
    EXPECT_TRUE(std::equal(header.begin(), header.end(), block.begin()));
    EXPECT_EQ(header[4] | header[5] << 8, Stored(4, 3).Blocks());
    EXPECT_EQ(link->m_directory.Entry(4, 3).loaded, 0);  // only a connect marks it loaded
}

TEST_F(CommandsTest, DeleteFrameRemovesTheMessageOnTheRecorder) {
    const auto second = Stored(0, 2);
    ASSERT_EQ(link->DeleteMessage(0, 1), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{{0xAA, 0xBE, 0x00, 0x01}}));
    EXPECT_EQ(Stored(0, 1).data, second.data);
}

TEST_F(CommandsTest, ClockFramesCarryTheCodedValues) {
    ASSERT_EQ(link->SetTime(13, 45), 1);
    ASSERT_EQ(link->SetDate(2002, 1, 1), 1);
    ASSERT_EQ(link->SetDate(2001, 1, 1), 1);
    ASSERT_EQ(link->SetDate(1999, 6, 30), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{{0xAA, 0xC1, 0xAE, 0x60},
                                            {0xAA, 0xC2, 0x6D, 0x01},
                                            {0xAA, 0xC2, 0x00, 0x00},
                                            {0xAA, 0xC2, 0x00, 0x00}}));
    emulator->WithModel([](emu::RecorderModel& m) { EXPECT_EQ(m.clockTime, 24750); });
}

TEST_F(CommandsTest, WrongEchoFailsOnlyTheCommandsThatCheckIt) {
    SetFaults([](emu::FaultSwitches& f) { f.wrongEcho = true; });
    EXPECT_EQ(link->ReadDirectory(), 0);  // even though the 528 bytes follow
    EXPECT_EQ(link->SetTime(1, 2), 0);
    EXPECT_EQ(link->SetDate(2020, 2, 2), 0);
    EXPECT_EQ(link->FetchHeader(0, 1), 1);    // its status is not examined
    EXPECT_EQ(link->DeleteMessage(0, 1), 1);  // any four bytes confirm a delete
}

TEST_F(CommandsTest, ADeviceThatVanishesFailsTheExchange) {
    ASSERT_EQ(link->SetTime(1, 2), 1);
    SetFaults([](emu::FaultSwitches& f) { f.disappearAfterFrames = 0; });
    EXPECT_EQ(link->SetDate(2020, 2, 2), 0);
    EXPECT_EQ(link->ReadDirectory(), 0);
    std::uint8_t reply[4];
    EXPECT_FALSE(link->m_serial.Receive(reply, 4).Detail().empty());
}

TEST_F(CommandsTest, ANoisyLineNeverLeavesTheDirectoryOutOfBounds) {
    SetFaults([](emu::FaultSwitches& f) { f.noiseRate = 0.3; });
    for (int i = 0; i < 20; ++i) {
        const int ok = link->ReadDirectory();
        EXPECT_TRUE(ok == 0 || ok == 1);
        for (int f = 0; f < 5; ++f) ASSERT_LE(link->m_directory.count[f], 100) << "read " << i;
    }
}

TEST(CommandsWithoutPort, NothingIsSentAndTheOwnerIsTold) {
    TestOwner owner("/dev/no-such-recorder-port");
    RecorderLink link;
    EXPECT_EQ(link.Initialise(4, &owner), 0);
    EXPECT_EQ(owner.portsAsked, (std::vector<std::string>{"COM4"}));
    EXPECT_EQ(owner.messages,
              (std::vector<std::string>{std::string(text::kSerialInitError) +
                                        "\n(/dev/no-such-recorder-port: no such device)"}));
    EXPECT_EQ(link.m_bConnected, 0);
    EXPECT_EQ(link.SetMode(1), 0);
    EXPECT_EQ(link.ReadDirectory(), 0);
    EXPECT_EQ(link.FetchHeader(0, 1), 0);
    EXPECT_EQ(link.DeleteMessage(0, 1), 0);
    EXPECT_EQ(link.SetTime(1, 1), 0);
    EXPECT_EQ(link.SetDate(2001, 1, 1), 0);
    EXPECT_EQ(link.Connect(), 0);
    EXPECT_EQ(link.m_bCancelled, 0);
}

TEST_F(CommandsTest, ReopeningTheSamePortWorks) {
    EXPECT_EQ(link->Initialise(1, owner.get()), 1) << testing::PrintToString(owner->messages);
    EXPECT_EQ(link->Initialise(1, owner.get()), 1) << testing::PrintToString(owner->messages);
    EXPECT_EQ(link->ReadDirectory(), 1);
}

TEST_F(CommandsTest, ACancelledExchangeEndsWithoutAnotherWait) {
    // Regression: a cancel woke only the wait under way; the directory request after the mode
    // frame and the mode-off each waited their full 3000 ms against a silent recorder.
    using namespace std::chrono;
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    std::thread cancel([&] {
        emulator->WaitForFrames(1, seconds(5));
        std::this_thread::sleep_for(milliseconds(100));
        link->m_serial.Interrupt();
    });
    const auto start = steady_clock::now();
    EXPECT_EQ(link->ReadDirectory(), 0);
    EXPECT_EQ(link->SetMode(0), 1);
    cancel.join();
    EXPECT_LT(steady_clock::now() - start, milliseconds(2000));
    // Everything was still said.
    emulator->WaitForFrames(3, seconds(5));
    EXPECT_EQ(Frames(), (std::vector<Frame>{kModeOn, kDirectory, kModeOff}));

    // The next operation starts clean.
    SetFaults([](emu::FaultSwitches&) {});
    EXPECT_EQ(link->ReadDirectory(), 1);
}

// Each of these waits out the recorder's 3000 ms reply time once or more.

TEST_F(CommandsTest, SlowModeOffAfterASilentExchangeIsNotWaitedFor) {
    // Its reply is ignored anyway; a line that did not answer the last exchange is not worth
    // another 3000 ms at the end of every failed session.
    using namespace std::chrono;
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    EXPECT_EQ(link->SetTime(1, 2), 0);
    const auto start = steady_clock::now();
    EXPECT_EQ(link->SetMode(0), 1);
    EXPECT_LT(steady_clock::now() - start, milliseconds(1500));
    emulator->WaitForFrames(2, seconds(5));
    EXPECT_EQ(Frames().back(), kModeOff);
}

TEST_F(CommandsTest, SlowShortRepliesFailEveryCheckedExchange) {
    // Regression: a reply that came only in part counted as complete, the rest of the buffer
    // stale, so a cut status frame still confirmed a delete.
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 2; });
    EXPECT_EQ(link->DeleteMessage(0, 1), 0);
}

TEST_F(CommandsTest, SlowShortDirectoryReplyFails) {
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 3; });
    EXPECT_EQ(link->ReadDirectory(), 0);
}

TEST_F(CommandsTest, SlowModeOnReplyInPartStillDecidesTheVariant) {
    // Only the first two bytes arrive: bytes 2 and 3 keep 0x80, so the second variant, even
    // from a recorder that would have said 0x01.
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    SetFaults([](emu::FaultSwitches& f) { f.shortReplyBytes = 2; });
    EXPECT_EQ(link->SetMode(1), 1);
    EXPECT_EQ(link->m_nMode, 2);
}

TEST_F(CommandsTest, SlowSilentRecorderLeavesTheVariantAlone) {
    emulator->WithModel([](emu::RecorderModel& m) { m.modeVariant = 1; });
    ASSERT_EQ(link->SetMode(1), 1);
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    EXPECT_EQ(link->SetMode(1), 1);
    EXPECT_EQ(link->m_nMode, 1);
}

}  // namespace
