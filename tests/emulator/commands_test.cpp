// Every request over the real pseudo-terminal: the reply layouts and what each does on the
// recorder.
#include <gtest/gtest.h>

#include "tests/support/emulator_fixture.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::size_t kDirectoryReply = emu::kStatusSize + emu::kBlockSize;
constexpr std::size_t kHeaderReply = emu::kStatusSize + emu::kHeaderSize;

}  // namespace

TEST_F(EmulatorWithClient, ModeFramesAnswerWithTheVariantAndSwitchTheMode) {
    for (int variant : {1, 2}) {
        auto options = TestOptions();
        options.modeVariant = variant;
        StartWith(options);
        EXPECT_EQ(client->Request(frames::kModeOn, 4),
                  (Bytes{0xAA, 0xAA, static_cast<std::uint8_t>(variant), 0x00}));
        bool on = false;
        emulator->WithModel([&](emu::RecorderModel& m) { on = m.modeOn; });
        EXPECT_TRUE(on);

        EXPECT_EQ(client->Request(frames::kModeOff, 4), (Bytes{0xAA, 0xAA, 0x00, 0xFF}));
        emulator->WithModel([&](emu::RecorderModel& m) { on = m.modeOn; });
        EXPECT_FALSE(on);
    }
}

TEST_F(EmulatorWithClient, DirectoryCarriesTheMarkerAndTheFolderCounts) {
    const Bytes reply = client->Request(frames::kDirectory, kDirectoryReply);
    ASSERT_EQ(reply.size(), kDirectoryReply);
    EXPECT_EQ(Slice(reply, 0, 4), (Bytes{0xAA, 0xBD, 0x00, 0x00}));
    EXPECT_EQ(reply[4], 0xFF);
    EXPECT_EQ(Slice(reply, 4 + 7, 5), (Bytes{3, 1, 0, 2, 4}));
    // Nothing follows the block.
    EXPECT_TRUE(client->Receive(1, std::chrono::milliseconds(150)).empty());
}

TEST_F(EmulatorWithClient, HeaderDescribesTheStoredMessage) {
    for (int m = 1; m <= 3; ++m) {
        const emu::StoredMessage stored = Stored(0, m);
        const Bytes reply = client->Request(frames::Header(0, m), kHeaderReply);
        ASSERT_EQ(reply.size(), kHeaderReply) << "message " << m;
        EXPECT_EQ(Slice(reply, 0, 4), (Bytes{0xAA, 0xB1, 0x00, static_cast<std::uint8_t>(m)}));
        const Bytes header = Slice(reply, 4, 32);
        EXPECT_EQ((header[1] >> 5) & 3, static_cast<int>(stored.quality));
        EXPECT_EQ(header[4] | header[5] << 8, static_cast<int>(stored.data.size() / 528));
        EXPECT_EQ(header[6] | header[7] << 8, stored.timeValue);
        EXPECT_EQ(header[8] | header[9] << 8, stored.dateValue);
    }
}

TEST_F(EmulatorWithClient, MissingMessagesAnswerWithAZeroHeaderAndNoBlocks) {
    const Bytes zeroHeader(32, 0x00);
    // Past the folder's last message, message 0, a folder that does not exist.
    for (const auto& [f, m] : std::vector<std::pair<int, int>>{{0, 4}, {2, 1}, {0, 0}, {7, 1}}) {
        const Bytes header = client->Request(frames::Header(f, m), kHeaderReply);
        ASSERT_EQ(header.size(), kHeaderReply) << f << "/" << m;
        EXPECT_EQ(Slice(header, 4, 32), zeroHeader) << f << "/" << m;

        const Bytes download = client->Request(frames::Download(f, m), 4);
        EXPECT_EQ(Slice(download, 1, 3), (Bytes{0xBF, 0x00, 0x00})) << f << "/" << m;
        EXPECT_TRUE(client->Receive(1, std::chrono::milliseconds(100)).empty());
    }
}

TEST_F(EmulatorWithClient, DownloadSendsTheBlockCountThenEveryBlock) {
    const emu::StoredMessage stored = Stored(4, 2);
    const std::size_t blocks = stored.data.size() / 528;
    ASSERT_GT(blocks, 0u);
    const Bytes reply = client->Request(frames::Download(4, 2), 4 + stored.data.size());
    ASSERT_EQ(reply.size(), 4 + stored.data.size());
    EXPECT_EQ(Slice(reply, 0, 4), (Bytes{0xAA, 0xBF, static_cast<std::uint8_t>(blocks & 0xFF),
                                         static_cast<std::uint8_t>(blocks >> 8)}));
    EXPECT_EQ(Slice(reply, 4, stored.data.size()), stored.data);

    // A count above 255 needs the high byte; a partial last block goes out padded with 0xFF.
    Bytes data(300 * 528 - 100);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    emu::StoredMessage longMessage;
    longMessage.data = data;
    emulator->WithModel([&](emu::RecorderModel& m) { m.folders[2].push_back(longMessage); });
    const Bytes big = client->Request(frames::Download(2, 1), 4 + 300 * 528);
    ASSERT_EQ(big.size(), 4u + 300 * 528);
    EXPECT_EQ(Slice(big, 0, 4), (Bytes{0xAA, 0xBF, 0x2C, 0x01}));
    EXPECT_EQ(Slice(big, 4, data.size()), data);
    EXPECT_EQ(Slice(big, 4 + data.size(), 100), Bytes(100, 0xFF));
}

TEST_F(EmulatorWithClient, DeleteRemovesTheMessageAndRenumbersTheOnesAfterIt) {
    const Bytes third = Slice(client->Request(frames::Header(0, 3), kHeaderReply), 4, 32);

    EXPECT_EQ(client->Request(frames::Delete(0, 2), 4), (Bytes{0xAA, 0xBE, 0x00, 0x02}));
    const Bytes directory = client->Request(frames::kDirectory, kDirectoryReply);
    EXPECT_EQ(Slice(directory, 4 + 7, 5), (Bytes{2, 1, 0, 2, 4}));
    EXPECT_EQ(Slice(client->Request(frames::Header(0, 2), kHeaderReply), 4, 32), third);
    EXPECT_EQ(Slice(client->Request(frames::Header(0, 3), kHeaderReply), 4, 32), Bytes(32, 0));

    // Deleting what is not there answers and changes nothing.
    EXPECT_EQ(client->Request(frames::Delete(0, 9), 4).size(), 4u);
    EXPECT_EQ(client->Request(frames::Delete(9, 1), 4).size(), 4u);
    EXPECT_EQ(Slice(client->Request(frames::kDirectory, kDirectoryReply), 4 + 7, 5),
              (Bytes{2, 1, 0, 2, 4}));
}

TEST_F(EmulatorWithClient, ClockFramesEchoAndSetTheClock) {
    EXPECT_EQ(client->Request(frames::SetTime(24750), 4), (Bytes{0xAA, 0xC1, 0xAE, 0x60}));
    EXPECT_EQ(client->Request(frames::SetDate(365), 4), (Bytes{0xAA, 0xC2, 0x6D, 0x01}));
    emu::RecorderModel copy;
    emulator->WithModel([&](emu::RecorderModel& m) { copy = m; });
    EXPECT_EQ(copy.clockTime, 24750);
    EXPECT_EQ(copy.clockDate, 365);

    // No time of day: answered, but the clock keeps its time.
    EXPECT_EQ(client->Request(frames::SetTime(43200), 4).size(), 4u);
    emulator->WithModel([&](emu::RecorderModel& m) { copy = m; });
    EXPECT_EQ(copy.clockTime, 24750);
}

TEST_F(EmulatorWithClient, FramesAreFoundBetweenStrayBytesAndAcrossWrites) {
    client->Flush();
    client->Send(Bytes{0x00, 0x13, 0xAA});  // noise, then a stray frame start
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    client->Send(Bytes{0xAA, 0xBD});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    client->Send(Bytes{0x00, 0x00});
    const Bytes reply = client->Receive(kDirectoryReply);
    ASSERT_EQ(reply.size(), kDirectoryReply);
    EXPECT_EQ(Slice(reply, 0, 4), (Bytes{0xAA, 0xBD, 0x00, 0x00}));

    const auto received = emulator->ReceivedFrames();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], frames::kDirectory);
    EXPECT_EQ(emulator->ReceivedBytes(), (Bytes{0x00, 0x13, 0xAA, 0xAA, 0xBD, 0x00, 0x00}));
}

TEST_F(EmulatorWithClient, RequestsSentTogetherAreAnsweredInTurn) {
    const Bytes first = Slice(client->Request(frames::Header(4, 1), kHeaderReply), 4, 32);
    const Bytes second = Slice(client->Request(frames::Header(4, 2), kHeaderReply), 4, 32);
    client->Flush();
    const auto h1 = frames::Header(4, 1);
    const auto h2 = frames::Header(4, 2);
    Bytes both(h1.begin(), h1.end());
    both.insert(both.end(), h2.begin(), h2.end());
    client->Send(both);
    const Bytes replies = client->Receive(2 * kHeaderReply);
    ASSERT_EQ(replies.size(), 2 * kHeaderReply);
    EXPECT_EQ(Slice(replies, 4, 32), first);
    EXPECT_EQ(Slice(replies, kHeaderReply + 4, 32), second);
}
