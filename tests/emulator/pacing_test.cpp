// The line rate. Loose bounds only: a paced block must take the better part of its 137.5 ms,
// an unpaced one much less.
#include <gtest/gtest.h>

#include "tests/support/emulator_fixture.h"

using Clock = std::chrono::steady_clock;

namespace {

// Seconds from the request to the last byte of a ten-block message.
double TenBlockDownload(bool paced) {
    auto options = TestOptions();
    options.paced = paced;
    emu::RecorderEmulator emulator(options);
    std::string error;
    EXPECT_TRUE(emulator.Start(&error)) << error;
    emu::StoredMessage message;
    message.data.assign(10 * 528, 0x11);
    emulator.WithModel([&](emu::RecorderModel& m) { m.folders[2] = {message}; });
    PtyPeer client(emulator.DevicePath());
    client.Flush();
    const auto start = Clock::now();
    client.Send(frames::Download(2, 1));
    const auto reply = client.Receive(4 + 10 * 528, std::chrono::seconds(10));
    EXPECT_EQ(reply.size(), 4u + 10 * 528);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

TEST(Pacing, PacedBlocksTakeLineTimeUnpacedOnesDoNot) {
    EXPECT_GT(TenBlockDownload(true), 10 * 0.100);
    EXPECT_LT(TenBlockDownload(false), 1.0);
}

TEST(Pacing, StopDoesNotWaitForAPacedTransfer) {
    auto options = TestOptions();
    options.paced = true;
    emu::RecorderEmulator emulator(options);
    ASSERT_TRUE(emulator.Start());
    emu::StoredMessage message;
    message.data.assign(100 * 528, 0x22);  // about 14 s on the line
    emulator.WithModel([&](emu::RecorderModel& m) { m.folders[2] = {message}; });
    PtyPeer client(emulator.DevicePath());
    client.Flush();
    client.Send(frames::Download(2, 1));
    ASSERT_EQ(client.Receive(4).size(), 4u);
    const auto start = Clock::now();
    emulator.Stop();
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.0);
    EXPECT_TRUE(client.HangsUp());
}
