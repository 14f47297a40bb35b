#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "core/link/recorder_link.h"
#include "core/link/serial_channel.h"
#include "tests/support/pty_peer.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Category = Result::Category;
using namespace std::chrono;

constexpr int kTestReplyMs = 300;

Result OpenRecorderLine(SerialChannel& channel, const std::string& device) {
    return channel.Open(device, RecorderLink::kBaudRate, RecorderLink::kByteSize,
                        RecorderLink::kStopBits, RecorderLink::kParity);
}

class SerialChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.IsOpen());
        const Result opened = OpenRecorderLine(channel, peer.SlavePath());
        ASSERT_TRUE(opened) << opened;
        // The faults of a line cost a test a moment, not the recorder's three seconds.
        channel.SetReplyTimeout(kTestReplyMs);
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
    const Result opened = OpenRecorderLine(channel, "/dev/no-such-recorder-port");
    EXPECT_TRUE(opened.Is(Category::PortNotOpened)) << opened;
    EXPECT_EQ(opened.Detail(), "/dev/no-such-recorder-port: no such device");
    EXPECT_FALSE(channel.IsOpen());
    const Bytes frame{0xAA, 0xBD, 0x00, 0x00};
    EXPECT_TRUE(channel.Send(frame.data(), 4).Is(Category::NotConnected));
    std::uint8_t buffer[4];
    EXPECT_TRUE(channel.Receive(buffer, 4).Is(Category::NotConnected));
    EXPECT_EQ(channel.BytesAvailable(), 0);
    channel.Close();
    channel.Close();
    EXPECT_FALSE(channel.IsOpen());
}

TEST(SerialChannelClosed, RefusesLineSettingsItCannotApply) {
    PtyPeer peer;
    ASSERT_TRUE(peer.IsOpen());
    SerialChannel channel;
    EXPECT_TRUE(channel.Open(peer.SlavePath(), 12345, 8, 0, 0).Is(Category::PortNotOpened));
    EXPECT_TRUE(channel.Open(peer.SlavePath(), 38400, 9, 0, 0).Is(Category::PortNotOpened));
    EXPECT_TRUE(channel.Open(peer.SlavePath(), 38400, 8, 0, 7).Is(Category::PortNotOpened));
    // Each failure gave the port back: a correct open works at once.
    const Result opened = OpenRecorderLine(channel, peer.SlavePath());
    EXPECT_TRUE(opened) << opened;
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
    const Result refused = OpenRecorderLine(second, peer.SlavePath());
    EXPECT_TRUE(refused.Is(Category::PortNotOpened)) << refused;
    EXPECT_NE(refused.Detail().find("in use"), std::string::npos) << refused;
    channel.Close();
    const Result opened = OpenRecorderLine(second, peer.SlavePath());
    EXPECT_TRUE(opened) << opened;
}

TEST_F(SerialChannelTest, OpeningAnotherPortReleasesTheFirst) {
    PtyPeer other;
    ASSERT_TRUE(other.IsOpen());
    ASSERT_TRUE(OpenRecorderLine(channel, other.SlavePath()));
    SerialChannel second;
    const Result opened = OpenRecorderLine(second, peer.SlavePath());
    EXPECT_TRUE(opened) << opened;
}

TEST_F(SerialChannelTest, SendsEveryByteInOrder) {
    Bytes filler(256, 0x00);
    filler.front() = 0x11;
    filler.back() = 0x22;
    EXPECT_TRUE(channel.Send(filler.data(), 256));
    EXPECT_EQ(peer.Receive(256), filler);
}

TEST_F(SerialChannelTest, ReceivesAWholeReplyAndCountsWaitingBytes) {
    peer.Send({0xAA, 0xBD, 0x00, 0x00, 0x01, 0x02});
    AwaitArrival(6);
    EXPECT_EQ(channel.BytesAvailable(), 6);
    std::uint8_t buffer[4];
    int received = 0;
    ASSERT_TRUE(channel.Receive(buffer, 4, &received));
    EXPECT_EQ(received, 4);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0xAA, 0xBD, 0x00, 0x00}));
    EXPECT_EQ(channel.BytesAvailable(), 2);
}

TEST_F(SerialChannelTest, SendDiscardsBytesThatArrivedBeforeTheRequest) {
    peer.Send({0xDE, 0xAD, 0xBE, 0xEF, 0x55});  // the tail of an earlier reply
    AwaitArrival(5);
    const Bytes frame{0xAA, 0xC2, 0x00, 0x00};
    channel.Send(frame.data(), 4);
    EXPECT_EQ(peer.Receive(4), frame);
    peer.Send({0xAA, 0xC2, 0x00, 0x00});
    std::uint8_t buffer[4] = {};
    ASSERT_TRUE(channel.Receive(buffer, 4));
    EXPECT_EQ(Bytes(buffer, buffer + 4), frame);
}

TEST_F(SerialChannelTest, InterruptEndsTheNextWaitWithWhatCame) {
    peer.Send({0xAA, 0xAA});
    AwaitArrival(2);
    channel.Interrupt();
    std::uint8_t buffer[4] = {0x80, 0x80, 0x80, 0x80};
    int received = 0;
    EXPECT_TRUE(channel.Receive(buffer, 4, &received).Is(Category::Cancelled));
    EXPECT_EQ(received, 2);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0xAA, 0xAA, 0x80, 0x80}));
}

TEST_F(SerialChannelTest, AClearedInterruptIsForgotten) {
    channel.Interrupt();
    channel.ClearInterrupt();
    peer.Send({1, 2, 3, 4});
    std::uint8_t buffer[4];
    EXPECT_TRUE(channel.Receive(buffer, 4));
}

TEST_F(SerialChannelTest, InterruptsHoldUntilTheirEnd) {
    // Regression: the one Receive that saw an interrupt used it up, so the next request of a
    // cancelled operation waited its full 3000 ms again.
    channel.SetReplyTimeout(SerialChannel::kDefaultReplyTimeoutMs);
    std::uint8_t buffer[4];
    auto promptly = [&] {
        const auto start = steady_clock::now();
        int got = 0;
        const Result result = channel.Receive(buffer, 4, &got);
        EXPECT_LT(steady_clock::now() - start, milliseconds(1000));
        EXPECT_TRUE(result.Is(Category::Cancelled)) << result;
        return got;
    };
    channel.Interrupt();
    EXPECT_EQ(promptly(), 0);
    EXPECT_EQ(promptly(), 0);
    EXPECT_TRUE(channel.LastReceiveGotNothing());
    channel.ClearInterrupt();  // a new operation
    peer.Send({1, 2, 3, 4});
    EXPECT_TRUE(channel.Receive(buffer, 4));
    EXPECT_FALSE(channel.LastReceiveGotNothing());

    // The program's own stop outlasts ClearInterrupt; only opening the line again ends it.
    channel.InterruptUntilClosed();
    channel.ClearInterrupt();
    peer.Send({5, 6});
    AwaitArrival(2);
    EXPECT_EQ(promptly(), 2);  // what had come, at once
    EXPECT_EQ(promptly(), 0);
    ASSERT_TRUE(OpenRecorderLine(channel, peer.SlavePath()));
    peer.Send({7, 8, 9, 10});
    EXPECT_TRUE(channel.Receive(buffer, 4));
}

TEST_F(SerialChannelTest, InterruptFromAnotherThreadWakesAWaitingReceive) {
    channel.SetReplyTimeout(SerialChannel::kDefaultReplyTimeoutMs);
    const auto start = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        channel.Interrupt();
    });
    std::uint8_t buffer[528];
    EXPECT_TRUE(channel.Receive(buffer, 528).Is(Category::Cancelled));
    canceller.join();
    // Well before the 3000 ms wait would have run out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
}

TEST_F(SerialChannelTest, ALineThatStopsTakingOutputCostsOneWaitNotOneAByte) {
    // Nobody reads the far end: once the terminal's buffers are full a byte waits its 1000 ms
    // in vain, and the rest of the request must not wait a second each.
    const std::vector<std::uint8_t> flood(256 * 1024, 0x00);
    const auto start = std::chrono::steady_clock::now();
    const Result sent = channel.Send(flood.data(), static_cast<int>(flood.size()));
    EXPECT_TRUE(sent.Is(Category::LineSilent)) << sent;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    // The line still works once the far end reads again.
    while (!peer.Receive(4096, std::chrono::milliseconds(50)).empty()) {
    }
    const Bytes frame{0xAA, 0xBD, 0x00, 0x00};
    EXPECT_TRUE(channel.Send(frame.data(), 4));
    EXPECT_EQ(peer.Receive(4), frame);
}

TEST_F(SerialChannelTest, ADeviceThatDisappearsFailsAtOnce) {
    peer.Send({0xAA});
    AwaitArrival(1);
    peer.Close();
    channel.SetReplyTimeout(SerialChannel::kDefaultReplyTimeoutMs);
    const Bytes frame{0xAA, 0xAA, 0x00, 0xFF};
    const Result sent = channel.Send(frame.data(), 4);
    EXPECT_TRUE(sent.Is(Category::LineSilent)) << sent;
    EXPECT_FALSE(sent.Detail().empty());
    std::uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    const Result received = channel.Receive(buffer, 4);
    EXPECT_TRUE(received.Is(Category::LineSilent)) << received;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_NE(received.Detail().find(peer.SlavePath()), std::string::npos) << received;
}

TEST_F(SerialChannelTest, SilenceEndsAfterTheReplyTimeWithNothing) {
    EXPECT_EQ(SerialChannel().ReplyTimeout(), 3000);  // the recorder's own
    std::uint8_t buffer[4];
    const auto start = steady_clock::now();
    const Result received = channel.Receive(buffer, 4);
    const auto waited = steady_clock::now() - start;
    EXPECT_TRUE(received.Is(Category::LineSilent)) << received;
    EXPECT_GE(waited, milliseconds(kTestReplyMs));
    EXPECT_LT(waited, milliseconds(2500));
}

TEST_F(SerialChannelTest, PartialReplyReportsOnlyTheBytesThatCame) {
    // Regression: a block of which only 100 bytes arrived used to be reported as 528 bytes,
    // with the rest of the buffer stale data from an earlier block.
    Bytes sent(100);
    for (int i = 0; i < 100; ++i) sent[i] = static_cast<std::uint8_t>(i + 1);
    peer.Send(sent);
    std::uint8_t buffer[528 + 8];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    int received = 0;
    EXPECT_TRUE(channel.Receive(buffer, 528, &received).Is(Category::ReplyWrong));
    EXPECT_EQ(received, 100);
    EXPECT_EQ(Bytes(buffer, buffer + 100), sent);
    for (int i = 100; i < 528 + 8; ++i) ASSERT_EQ(buffer[i], 0xEE) << "byte " << i;
}

TEST_F(SerialChannelTest, AnInterruptEndsTheWaitOfASendToo) {
    // Regression: a byte the line would not take was waited for its full 1000 ms, deaf to a
    // cancel or Ctrl-C. Nobody reads the far end, so the terminal's buffers fill up.
    const std::vector<std::uint8_t> flood(256 * 1024, 0x00);
    std::thread canceller([&] {
        std::this_thread::sleep_for(milliseconds(300));
        channel.Interrupt();
    });
    const auto start = steady_clock::now();
    const Result sent = channel.Send(flood.data(), static_cast<int>(flood.size()));
    const auto took = steady_clock::now() - start;
    canceller.join();
    EXPECT_TRUE(sent.Is(Category::Cancelled)) << sent;
    EXPECT_LT(took, milliseconds(1000));

    // Under the interrupt what the line takes at once still goes out (the cancel filler, the
    // mode-off frame of a cancelled session); only waiting is given up.
    while (!peer.Receive(4096, milliseconds(50)).empty()) {
    }
    const Bytes frame{0xAA, 0xAA, 0x00, 0xFF};
    EXPECT_TRUE(channel.Send(frame.data(), 4));
    EXPECT_EQ(peer.Receive(4), frame);
}

TEST_F(SerialChannelTest, TheWireTraceSeesEveryRequestAndReply) {
    std::vector<std::string> lines;
    steady_clock::time_point origin{};
    channel.SetWireTrace([&](const WireEvent& event) {
        if (lines.empty()) origin = event.time;
        lines.push_back(FormatWireEvent(event, origin).substr(6));  // without the time
    });
    const Bytes frame{0xAA, 0xBD, 0x00, 0x00};
    ASSERT_TRUE(channel.Send(frame.data(), 4));
    peer.Send({0xAA, 0xBD, 0x00, 0x00, 0x01, 0x02});
    std::uint8_t buffer[528];
    ASSERT_TRUE(channel.Receive(buffer, 4));
    EXPECT_TRUE(channel.Receive(buffer, 4).Is(Category::ReplyWrong));  // 2 of 4
    EXPECT_TRUE(channel.Receive(buffer, 4).Is(Category::LineSilent));
    peer.Send(Bytes(528, 0x33));
    ASSERT_TRUE(channel.Receive(buffer, 528));
    const Bytes filler(256, 0);
    ASSERT_TRUE(channel.Send(filler.data(), 256));
    EXPECT_EQ(lines, (std::vector<std::string>{"> AA BD 00 00", "< AA BD 00 00 (4 bytes)",
                                               "< 01 02 (2 of 4 bytes)", "< nothing (0 of 4 bytes)",
                                               "< 528 bytes", "> 256 bytes"}));

    // The time stamp: seconds since the origin, to the millisecond.
    WireEvent late;
    late.direction = WireEvent::Direction::Received;
    late.time = origin + milliseconds(12401);
    late.bytes = buffer;
    late.count = 100;
    late.requested = 528;
    EXPECT_EQ(FormatWireEvent(late, origin), "12.401 < 100 of 528 bytes");
}

TEST(WireTraceVariable, NamesStandardErrorAFileOrNothing) {
    std::string problem;
    for (const char* off : {static_cast<const char*>(nullptr), "", "0"}) {
        EXPECT_FALSE(TraceFromVariable(off, &problem)) << (off ? off : "unset");
    }
    EXPECT_TRUE(TraceFromVariable("1", &problem));
    EXPECT_TRUE(problem.empty()) << problem;

    const TempFolder folder;
    const std::string path = folder.File("trace.log");
    const std::uint8_t frame[4] = {0xAA, 0xBD, 0x00, 0x00};
    WireEvent event;
    event.bytes = frame;
    event.count = event.requested = 4;
    // A second run adds to what the first wrote; each line is there as soon as it is traced.
    for (int run = 0; run < 2; ++run) {
        const WireTrace trace = TraceFromVariable(path.c_str(), &problem);
        ASSERT_TRUE(trace) << problem;
        event.time = steady_clock::now() + milliseconds(1500);
        trace(event);
    }
    std::ifstream file(path);
    const std::string written((std::istreambuf_iterator<char>(file)), {});
    // Each run counts its times from its own start: a second and a half, give or take.
    std::istringstream lines(written);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_EQ(line.substr(0, 3), "1.5") << line;
        EXPECT_EQ(line.substr(5), " > AA BD 00 00") << line;
    }
    EXPECT_EQ(count, 2) << written;

    const std::string unwritable = folder.File("no-such-folder/trace.log");
    EXPECT_FALSE(TraceFromVariable(unwritable.c_str(), &problem));
    EXPECT_NE(problem.find(unwritable), std::string::npos) << problem;
}

}  // namespace
