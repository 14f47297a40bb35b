// The line itself: stopping a transfer, the program closing and reopening the device, the
// emulator stopping under a connected program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "tests/support/emulator_fixture.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

// A message far larger than the pseudo-terminal holds, so its transfer is still going out.
void AddLongMessage(emu::RecorderEmulator& emulator, int folder) {
    emu::StoredMessage message;
    message.data.assign(400 * 528, 0x5A);
    emulator.WithModel([&](emu::RecorderModel& m) { m.folders[folder].push_back(message); });
}

}  // namespace

TEST_F(EmulatorWithClient, CancelFillerEndsTheTransferAndIsNoRequest) {
    AddLongMessage(*emulator, 2);
    const Bytes start = client->Request(frames::Download(2, 1), 4 + 528);
    ASSERT_EQ(start.size(), 4u + 528);
    EXPECT_EQ(Slice(start, 0, 4), (Bytes{0xAA, 0xBF, 0x90, 0x01}));

    client->Send(Bytes(256, 0x00));
    ASSERT_TRUE(WaitForBytes(4 + 256));
    client->Flush();  // what the transfer had put on the line before it stopped
    EXPECT_EQ(client->Request(frames::kModeOff, 4), (Bytes{0xAA, 0xAA, 0x00, 0xFF}));
    EXPECT_TRUE(client->Receive(1, std::chrono::milliseconds(200)).empty())
        << "the transfer went on after the filler";

    const auto received = emulator->ReceivedFrames();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], frames::Download(2, 1));
    EXPECT_EQ(received[1], frames::kModeOff);
    EXPECT_EQ(Slice(emulator->ReceivedBytes(), 4, 256), Bytes(256, 0x00));
}

TEST_F(EmulatorWithClient, ServesAgainAfterTheProgramClosesAndReopens) {
    ASSERT_EQ(client->Request(frames::kModeOn, 4).size(), 4u);
    client->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // nobody on the line a while
    client = std::make_unique<PtyPeer>(emulator->DevicePath());
    ASSERT_TRUE(client->IsOpen());
    EXPECT_EQ(client->Request(frames::kDirectory, 532).size(), 532u);

    // Closed in the middle of a transfer: the next program stops it as the program does, with
    // anything sent, and is then answered normally.
    AddLongMessage(*emulator, 2);
    client->Flush();
    client->Send(frames::Download(2, 1));
    ASSERT_EQ(client->Receive(4).size(), 4u);
    client->Close();
    client = std::make_unique<PtyPeer>(emulator->DevicePath());
    ASSERT_TRUE(client->IsOpen());
    const std::size_t heard = emulator->ReceivedBytes().size();
    client->Send(Bytes(16, 0x00));
    ASSERT_TRUE(WaitForBytes(heard + 16));
    EXPECT_EQ(client->Request(frames::kModeOn, 4), (Bytes{0xAA, 0xAA, 0x02, 0x00}));
}

TEST_F(EmulatorWithClient, ExclusiveModeEndsWhenTheProgramClosesTheDevice) {
    // An unprivileged program (a privileged one is never kept out): open with TIOCEXCL, a
    // second open must fail, and after the close the device must open again, as a serial
    // port does.
    client.reset();
    const std::string path = emulator->DevicePath();
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) _exit(11);
        if (ioctl(fd, TIOCEXCL) != 0) _exit(12);
        const int second = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (second >= 0 || errno != EBUSY) _exit(13);
        close(fd);
        for (int attempt = 0; attempt < 200; ++attempt) {  // up to two seconds
            fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd >= 0) _exit(0);
            const timespec pause{0, 10'000'000};
            nanosleep(&pause, nullptr);
        }
        _exit(14);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 no user to become, 11 first open, 12 TIOCEXCL, "
                                         "13 second open not refused, 14 never reopened";
}

TEST_F(EmulatorWithClient, StopHangsUpOnAConnectedProgramAndCanStartAgain) {
    AddLongMessage(*emulator, 2);
    client->Flush();
    client->Send(frames::Download(2, 1));
    ASSERT_EQ(client->Receive(4).size(), 4u);

    const std::string path = emulator->DevicePath();
    emulator->Stop();
    EXPECT_TRUE(client->HangsUp());
    EXPECT_EQ(emulator->DevicePath(), path);
    emulator->Stop();  // twice is harmless

    std::string error;
    ASSERT_TRUE(emulator->Start(&error)) << error;
    EXPECT_FALSE(emulator->Start(&error));
    EXPECT_FALSE(error.empty());
    client = std::make_unique<PtyPeer>(emulator->DevicePath());
    ASSERT_TRUE(client->IsOpen());
    EXPECT_EQ(client->Request(frames::kModeOn, 4).size(), 4u);
}

TEST_F(EmulatorWithClient, CallersMayWatchAndChangeTheRecorderWhileItServes) {
    // Run under ThreadSanitizer: the test thread reads logs, changes the model and the fault
    // switches while the serving thread answers a stream of requests.
    std::atomic<bool> done{false};
    const std::size_t download = 4 + Stored(4, 1).data.size();
    std::thread program([&] {
        PtyPeer other(emulator->DevicePath());
        for (int i = 0; i < 20; ++i) {
            other.Request(frames::kDirectory, 532);
            other.Request(frames::Header(4, 1), 36);
            other.Request(frames::Download(4, 1), download);
        }
        done = true;
    });
    emu::FaultSwitches faults;
    int round = 0;
    while (!done) {
        faults.noiseRate = (round++ % 2) ? 0.01 : 0.0;
        emulator->SetFaults(faults);
        emulator->WithModel(
            [&](emu::RecorderModel& m) { m.clockTime = static_cast<std::uint16_t>(round); });
        (void)emulator->ReceivedFrames();
        (void)emulator->ReceivedBytes();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    program.join();
    EXPECT_TRUE(emulator->WaitForFrames(60, std::chrono::seconds(2)));
    EXPECT_EQ(emulator->ReceivedFrames().size(), 60u);
    EXPECT_FALSE(emulator->WaitForFrames(61, std::chrono::milliseconds(10)));
}
