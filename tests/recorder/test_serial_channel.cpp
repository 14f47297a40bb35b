#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "core/link/recorder_link.h"
#include "core/link/serial_channel.h"
#include "tests/recorder/pty_peer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

int OpenRecorderLine(SerialChannel& channel, const std::string& device) {
    return channel.Open(device, RecorderLink::kBaudRate, RecorderLink::kByteSize,
                        RecorderLink::kStopBits, RecorderLink::kParity);
}

class SerialChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Ok());
        ASSERT_EQ(OpenRecorderLine(channel, peer.SlavePath()), 1) << channel.LastError();
    }
    // Bytes the peer wrote reach our side a moment later (sooner or later on a busy machine).
    void AwaitArrival(int count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (channel.BytesAvailable() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    PtyPeer peer;
    SerialChannel channel;
};

TEST(SerialChannelClosed, EveryOperationReportsTheClosedChannel) {
    SerialChannel channel;
    EXPECT_EQ(OpenRecorderLine(channel, "/dev/no-such-recorder-port"), 0);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_NE(channel.LastError().find("/dev/no-such-recorder-port"), std::string::npos);
    const Bytes frame{0xAA, 0xBD, 0x00, 0x00};
    EXPECT_EQ(channel.Send(frame.data(), 4), 0);
    std::uint8_t buffer[4];
    EXPECT_EQ(channel.Receive(buffer, 4), -2);
    EXPECT_EQ(channel.BytesAvailable(), 0);
    EXPECT_EQ(channel.Close(), 1);
    EXPECT_EQ(channel.Close(), 1);
}

TEST(SerialChannelClosed, RefusesLineSettingsItCannotApply) {
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    SerialChannel channel;
    EXPECT_EQ(channel.Open(peer.SlavePath(), 12345, 8, 0, 0), 0);
    EXPECT_EQ(channel.Open(peer.SlavePath(), 38400, 9, 0, 0), 0);
    EXPECT_EQ(channel.Open(peer.SlavePath(), 38400, 8, 0, 7), 0);
    // Each failure gave the port back: a correct open works at once.
    EXPECT_EQ(OpenRecorderLine(channel, peer.SlavePath()), 1) << channel.LastError();
}

TEST_F(SerialChannelTest, ConfiguresTheRecorderLineRaw) {
    // Another look at the same terminal (allowed to root, or refused as exclusive).
    const int fd = ::open(peer.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) GTEST_SKIP() << "the port is exclusive to the channel here";
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & CREAD);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_oflag & OPOST);
}

TEST_F(SerialChannelTest, IsExclusiveAndGivesThePortBackOnClose) {
    SerialChannel second;
    EXPECT_EQ(OpenRecorderLine(second, peer.SlavePath()), 0);
    EXPECT_NE(second.LastError().find("in use"), std::string::npos) << second.LastError();
    channel.Close();
    EXPECT_EQ(OpenRecorderLine(second, peer.SlavePath()), 1) << second.LastError();
}

TEST_F(SerialChannelTest, OpeningAnotherPortReleasesTheFirst) {
    PtyPeer other;
    ASSERT_TRUE(other.Ok());
    ASSERT_EQ(OpenRecorderLine(channel, other.SlavePath()), 1) << channel.LastError();
    SerialChannel second;
    EXPECT_EQ(OpenRecorderLine(second, peer.SlavePath()), 1) << second.LastError();
}

TEST_F(SerialChannelTest, SendsEveryByteInOrder) {
    Bytes filler(256, 0x00);
    filler.front() = 0x11;
    filler.back() = 0x22;
    EXPECT_EQ(channel.Send(filler.data(), 256), 256);
    EXPECT_EQ(peer.Read(256), filler);
}

TEST_F(SerialChannelTest, ReceivesAWholeReplyAndCountsWaitingBytes) {
    peer.Write({0xAA, 0xBD, 0x00, 0x00, 0x01, 0x02});
    AwaitArrival(6);
    EXPECT_EQ(channel.BytesAvailable(), 6);
    std::uint8_t buffer[4];
    ASSERT_EQ(channel.Receive(buffer, 4), 4);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0xAA, 0xBD, 0x00, 0x00}));
    EXPECT_EQ(channel.BytesAvailable(), 2);
}

TEST_F(SerialChannelTest, SendDiscardsBytesThatArrivedBeforeTheRequest) {
    peer.Write({0xDE, 0xAD, 0xBE, 0xEF, 0x55});  // the tail of an earlier reply
    AwaitArrival(5);
    const Bytes frame{0xAA, 0xC2, 0x00, 0x00};
    channel.Send(frame.data(), 4);
    EXPECT_EQ(peer.Read(4), frame);
    peer.Write({0xAA, 0xC2, 0x00, 0x00});
    std::uint8_t buffer[4] = {};
    ASSERT_EQ(channel.Receive(buffer, 4), 4);
    EXPECT_EQ(Bytes(buffer, buffer + 4), frame);
}

TEST_F(SerialChannelTest, InterruptEndsTheNextWaitWithWhatCame) {
    peer.Write({0xAA, 0xAA});
    AwaitArrival(2);
    channel.Interrupt();
    std::uint8_t buffer[4] = {0x80, 0x80, 0x80, 0x80};
    EXPECT_EQ(channel.Receive(buffer, 4), 2);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0xAA, 0xAA, 0x80, 0x80}));
}

TEST_F(SerialChannelTest, AClearedInterruptIsForgotten) {
    channel.Interrupt();
    channel.ClearInterrupt();
    peer.Write({1, 2, 3, 4});
    std::uint8_t buffer[4];
    EXPECT_EQ(channel.Receive(buffer, 4), 4);
}

TEST_F(SerialChannelTest, InterruptsHoldUntilTheirEnd) {
    // Regression: the one Receive that saw an interrupt used it up, so the next request of a
    // cancelled operation waited its full 3000 ms again.
    using namespace std::chrono;
    std::uint8_t buffer[4];
    auto promptly = [&] {
        const auto start = steady_clock::now();
        const int got = channel.Receive(buffer, 4);
        EXPECT_LT(steady_clock::now() - start, milliseconds(1000));
        return got;
    };
    channel.Interrupt();
    EXPECT_EQ(promptly(), -1);
    EXPECT_EQ(promptly(), -1);
    EXPECT_TRUE(channel.LastReceiveGotNothing());
    channel.ClearInterrupt();  // a new operation
    peer.Write({1, 2, 3, 4});
    EXPECT_EQ(channel.Receive(buffer, 4), 4);
    EXPECT_FALSE(channel.LastReceiveGotNothing());

    // The program's own stop outlasts ClearInterrupt; only opening the line again ends it.
    channel.InterruptUntilClosed();
    channel.ClearInterrupt();
    peer.Write({5, 6});
    AwaitArrival(2);
    EXPECT_EQ(promptly(), 2);  // what had come, at once
    EXPECT_EQ(promptly(), -1);
    ASSERT_EQ(OpenRecorderLine(channel, peer.SlavePath()), 1) << channel.LastError();
    peer.Write({7, 8, 9, 10});
    EXPECT_EQ(channel.Receive(buffer, 4), 4);
}

TEST_F(SerialChannelTest, InterruptFromAnotherThreadWakesAWaitingReceive) {
    const auto start = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        channel.Interrupt();
    });
    std::uint8_t buffer[528];
    EXPECT_EQ(channel.Receive(buffer, 528), -1);
    canceller.join();
    // Well before the 3000 ms wait would have run out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
}

TEST_F(SerialChannelTest, ALineThatStopsTakingOutputCostsOneWaitNotOneAByte) {
    // Nobody reads the far end: once the terminal's buffers are full a byte waits its 1000 ms
    // in vain, and the rest of the request must not wait a second each.
    const std::vector<std::uint8_t> flood(256 * 1024, 0x00);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.Send(flood.data(), static_cast<int>(flood.size())),
              static_cast<int>(flood.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    // The line still works once the far end reads again.
    while (!peer.Read(4096, std::chrono::milliseconds(50)).empty()) {
    }
    const Bytes frame{0xAA, 0xBD, 0x00, 0x00};
    EXPECT_EQ(channel.Send(frame.data(), 4), 4);
    EXPECT_EQ(peer.Read(4), frame);
}

TEST_F(SerialChannelTest, ADeviceThatDisappearsFailsAtOnce) {
    peer.Write({0xAA});
    AwaitArrival(1);
    peer.CloseMaster();
    const Bytes frame{0xAA, 0xAA, 0x00, 0xFF};
    EXPECT_EQ(channel.Send(frame.data(), 4), 4);  // writes failing are the reply's business
    std::uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.Receive(buffer, 4), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_FALSE(channel.LastError().empty());
}

// These wait out the real 3000 ms read limit.
TEST_F(SerialChannelTest, SlowSilenceEndsAfterTheWaitWithNothing) {
    std::uint8_t buffer[4];
    EXPECT_EQ(channel.Receive(buffer, 4), -1);
}

TEST_F(SerialChannelTest, SlowPartialReplyReportsOnlyTheBytesThatCame) {
    // Regression: a block of which only 100 bytes arrived used to be reported as 528 bytes,
    // with the rest of the buffer stale data from an earlier block.
    Bytes sent(100);
    for (int i = 0; i < 100; ++i) sent[i] = static_cast<std::uint8_t>(i + 1);
    peer.Write(sent);
    std::uint8_t buffer[528 + 8];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(channel.Receive(buffer, 528), 100);
    EXPECT_EQ(Bytes(buffer, buffer + 100), sent);
    for (int i = 100; i < 528 + 8; ++i) ASSERT_EQ(buffer[i], 0xEE) << "byte " << i;
}

}  // namespace
