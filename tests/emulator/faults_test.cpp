// Each fault switch, seen from the program's side of the line.
#include <gtest/gtest.h>

#include "tests/support/emulator_fixture.h"

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

namespace {

constexpr std::size_t kDirectoryReply = 532;
constexpr std::size_t kHeaderReply = 36;

}  // namespace

TEST_F(EmulatorWithClient, SilentRecorderHearsEverythingAndDoesNothing) {
    emu::FaultSwitches faults;
    faults.silent = true;
    emulator->SetFaults(faults);
    client->Flush();
    client->Send(frames::kModeOn);
    client->Send(frames::Delete(0, 1));
    ASSERT_TRUE(emulator->WaitForFrames(2, milliseconds(2000)));
    EXPECT_TRUE(client->Receive(1, milliseconds(300)).empty());
    EXPECT_EQ(emulator->ReceivedFrames().size(), 2u);
    std::size_t stored = 0;
    emulator->WithModel([&](emu::RecorderModel& m) { stored = m.folders[0].size(); });
    EXPECT_EQ(stored, 3u);

    emulator->SetFaults({});
    EXPECT_EQ(client->Request(frames::kModeOn, 4).size(), 4u);
}

TEST_F(EmulatorWithClient, ShortRepliesAreCutButTheRecorderStillActs) {
    emu::FaultSwitches faults;
    faults.shortReplyBytes = 2;
    emulator->SetFaults(faults);
    const milliseconds wait(300);
    EXPECT_EQ(client->Request(frames::kModeOn, 4, wait), (Bytes{0xAA, 0xAA}));
    EXPECT_EQ(client->Request(frames::kDirectory, kDirectoryReply, wait), (Bytes{0xAA, 0xBD}));
    EXPECT_EQ(client->Request(frames::Delete(0, 1), 4, wait).size(), 2u);
    std::size_t stored = 0;
    emulator->WithModel([&](emu::RecorderModel& m) { stored = m.folders[0].size(); });
    EXPECT_EQ(stored, 2u);

    faults.shortReplyBytes = 100;  // status and part of the block
    emulator->SetFaults(faults);
    EXPECT_EQ(client->Request(frames::kDirectory, kDirectoryReply, wait).size(), 100u);
}

TEST_F(EmulatorWithClient, WrongEchoSpoilsOnlyByteOneOfTheStatus) {
    const Bytes honest = client->Request(frames::Header(0, 1), kHeaderReply);
    emu::FaultSwitches faults;
    faults.wrongEcho = true;
    emulator->SetFaults(faults);
    for (const auto& frame : {frames::kDirectory, frames::SetTime(100), frames::SetDate(100)}) {
        const Bytes reply = client->Request(frame, 4);
        ASSERT_EQ(reply.size(), 4u);
        EXPECT_NE(reply[1], frame[1]);
    }
    Bytes spoilt = client->Request(frames::Header(0, 1), kHeaderReply);
    ASSERT_EQ(spoilt.size(), kHeaderReply);
    EXPECT_NE(spoilt[1], 0xB1);
    spoilt[1] = 0xB1;
    EXPECT_EQ(spoilt, honest);
}

TEST_F(EmulatorWithClient, BadMarkerLastsForTheNextReadsOnly) {
    emu::FaultSwitches faults;
    faults.badMarkerReads = 2;
    emulator->SetFaults(faults);
    for (std::uint8_t expected : {0x00, 0x00, 0xFF, 0xFF}) {
        const Bytes reply = client->Request(frames::kDirectory, kDirectoryReply);
        ASSERT_EQ(reply.size(), kDirectoryReply);
        EXPECT_EQ(reply[4], expected);
        EXPECT_EQ(Slice(reply, 4 + 7, 5), (Bytes{3, 1, 0, 2, 4}));
    }
    EXPECT_EQ(emulator->Faults().badMarkerReads, 0);
}

TEST_F(EmulatorWithClient, ClaimedCountsAboveWhatIsStored) {
    emu::FaultSwitches faults;
    faults.reportedCounts = {150, -1, 255, -1, 300};
    emulator->SetFaults(faults);
    const Bytes reply = client->Request(frames::kDirectory, kDirectoryReply);
    EXPECT_EQ(Slice(reply, 4 + 7, 5), (Bytes{150, 1, 255, 2, 255}));
    // Numbers past what is stored (even past 100) answer with zero headers.
    for (int m : {4, 101, 150}) {
        EXPECT_EQ(Slice(client->Request(frames::Header(0, m), kHeaderReply), 4, 32), Bytes(32, 0));
    }
    EXPECT_NE(Slice(client->Request(frames::Header(0, 3), kHeaderReply), 4, 32), Bytes(32, 0));
}

TEST_F(EmulatorWithClient, TransferStopsAfterSomeBlocksUntilThePcSpeaks) {
    const emu::StoredMessage stored = Stored(4, 1);
    ASSERT_GE(stored.data.size(), 3u * 528);
    emu::FaultSwitches faults;
    faults.stopAfterBlocks = 1;
    emulator->SetFaults(faults);
    client->Flush();
    client->Send(frames::Download(4, 1));
    const Bytes reply = client->Receive(4 + 2 * 528, milliseconds(400));
    ASSERT_EQ(reply.size(), 4u + 528);
    EXPECT_EQ(Slice(reply, 4, 528), Slice(stored.data, 0, 528));

    client->Send(Bytes(256, 0x00));
    EXPECT_EQ(client->Request(frames::kModeOn, 4).size(), 4u);
}

TEST_F(EmulatorWithClient, TransferBreaksOffInTheMiddleOfABlock) {
    const emu::StoredMessage stored = Stored(4, 1);
    emu::FaultSwitches faults;
    faults.breakAfterBytes = 600;
    emulator->SetFaults(faults);
    client->Flush();
    client->Send(frames::Download(4, 1));
    const Bytes reply = client->Receive(4 + 2 * 528, milliseconds(400));
    ASSERT_EQ(reply.size(), 4u + 600);
    EXPECT_EQ(Slice(reply, 4, 600), Slice(stored.data, 0, 600));
    // Other replies are whole.
    EXPECT_EQ(client->Request(frames::kDirectory, kDirectoryReply).size(), kDirectoryReply);
}

TEST_F(EmulatorWithClient, NoiseReplacesBytesAtTheSeededRate) {
    const Bytes honest = client->Request(frames::kDirectory, kDirectoryReply);
    emu::FaultSwitches faults;
    faults.noiseRate = 1.0;
    emulator->SetFaults(faults);
    const Bytes all = client->Request(frames::kDirectory, kDirectoryReply);
    ASSERT_EQ(all.size(), honest.size());
    for (std::size_t i = 0; i < all.size(); ++i) ASSERT_NE(all[i], honest[i]) << "byte " << i;

    // The same seed spoils the same bytes the same way.
    faults.noiseRate = 0.2;
    Bytes noisy[2];
    for (Bytes& reply : noisy) {
        StartWith(TestOptions());
        emulator->SetFaults(faults);
        reply = client->Request(frames::kDirectory, kDirectoryReply);
    }
    EXPECT_EQ(noisy[0], noisy[1]);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < honest.size(); ++i) changed += noisy[0][i] != honest[i];
    EXPECT_GT(changed, honest.size() / 20);
    EXPECT_LT(changed, honest.size() / 2);
}

TEST_F(EmulatorWithClient, DeviceVanishesAfterTheGivenRequests) {
    const std::string path = emulator->DevicePath();
    emu::FaultSwitches faults;
    faults.disappearAfterFrames = 2;
    emulator->SetFaults(faults);
    EXPECT_EQ(client->Request(frames::kModeOn, 4).size(), 4u);
    EXPECT_EQ(client->Request(frames::kDirectory, kDirectoryReply).size(), kDirectoryReply);
    EXPECT_TRUE(client->HangsUp());
    EXPECT_TRUE(emulator->DeviceGone());
    EXPECT_EQ(emulator->DevicePath(), path);
    PtyPeer again(path);
    EXPECT_FALSE(again.IsOpen());
    emulator->Stop();
}

TEST_F(EmulatorWithClient, DeviceVanishesAtOnceWhenNoMoreRequestsAreAllowed) {
    emu::FaultSwitches faults;
    faults.disappearAfterFrames = 0;
    emulator->SetFaults(faults);
    EXPECT_TRUE(client->HangsUp());
    EXPECT_TRUE(emulator->DeviceGone());
}
