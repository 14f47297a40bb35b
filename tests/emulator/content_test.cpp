// The recorder's content and the pieces that need no line: demo content, header block, frame
// recognition, option checks.
#include <gtest/gtest.h>

#include <set>

#include "emulator/recorder_emulator.h"
#include "emulator/request_frames.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

emu::Options WithCounts(std::array<int, 5> counts, unsigned seed = 1) {
    emu::Options options;
    options.counts = counts;
    options.seed = seed;
    return options;
}

bool SameContent(const std::array<std::vector<emu::StoredMessage>, 5>& a,
                 const std::array<std::vector<emu::StoredMessage>, 5>& b) {
    for (int f = 0; f < 5; ++f) {
        if (a[f].size() != b[f].size()) return false;
        for (std::size_t i = 0; i < a[f].size(); ++i) {
            if (a[f][i].HeaderBlock() != b[f][i].HeaderBlock() || a[f][i].data != b[f][i].data) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(DemoContent, DependsOnlyOnSeedAndDay) {
    const auto options = WithCounts({3, 1, 0, 2, 4}, 7);
    EXPECT_TRUE(SameContent(emu::DemoContent(options, 9000), emu::DemoContent(options, 9000)));
    EXPECT_FALSE(SameContent(emu::DemoContent(options, 9000),
                             emu::DemoContent(WithCounts({3, 1, 0, 2, 4}, 8), 9000)));
}

TEST(DemoContent, LooksLikeRecentRecordings) {
    const int today = 9000;
    const auto folders = emu::DemoContent(WithCounts({0, 100, 150, -3, 12}), today);
    EXPECT_EQ(folders[0].size(), 0u);
    EXPECT_EQ(folders[1].size(), 100u);
    EXPECT_EQ(folders[2].size(), 100u);  // a folder holds no more
    EXPECT_EQ(folders[3].size(), 0u);
    EXPECT_EQ(folders[4].size(), 12u);

    std::set<emu::Quality> qualities;
    for (const auto& folder : folders) {
        std::pair<int, int> previous{0, 0};
        for (const auto& message : folder) {
            EXPECT_LE(message.dateValue, today);
            EXPECT_GE(message.dateValue, today - 60);
            EXPECT_LT(message.timeValue, 43200);
            // Numbered in the order they were recorded.
            const std::pair<int, int> stamp{message.dateValue, message.timeValue};
            EXPECT_LE(previous, stamp);
            previous = stamp;
            EXPECT_GT(message.data.size(), 0u);
            EXPECT_EQ(message.data.size() % 528, 0u);
            qualities.insert(message.quality);
        }
    }
    EXPECT_EQ(qualities.size(), 3u);

    // Early in the recorder's calendar nothing goes before its first day.
    const auto early = emu::DemoContent(WithCounts({20, 0, 0, 0, 0}), 3);
    for (const auto& message : early[0]) {
        EXPECT_LE(message.dateValue, 3);
    }
}

TEST(DemoContent, TakesVoiceFromTheSourceAndPadsItToWholeBlocks) {
    auto options = WithCounts({2, 0, 1, 0, 0});
    std::vector<int> indices;
    options.voiceSource = [&](emu::Quality quality, int index) {
        indices.push_back(index);
        return Bytes(1000, static_cast<std::uint8_t>(quality));
    };
    const auto folders = emu::DemoContent(options, 9000);
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 2}));
    const auto& message = folders[2][0];
    ASSERT_EQ(message.data.size(), 1056u);
    EXPECT_EQ(Bytes(message.data.begin(), message.data.begin() + 1000),
              Bytes(1000, static_cast<std::uint8_t>(message.quality)));
    EXPECT_EQ(Bytes(message.data.begin() + 1000, message.data.end()), Bytes(56, 0xFF));
}

TEST(StoredMessage, HeaderBlockLayout) {
    emu::StoredMessage message;
    message.quality = emu::Quality::MP;
    message.timeValue = 25350;
    message.dateValue = 0x1234;
    message.data.assign(152 * 528 + 1, 0);  // a partial last block counts
    EXPECT_EQ(message.Blocks(), 153);
    const auto header = message.HeaderBlock();
    EXPECT_EQ((header[1] >> 5) & 3, 2);
    EXPECT_EQ(header[4], 153);
    EXPECT_EQ(header[5], 0);
    EXPECT_EQ(header[6], 25350 & 0xFF);
    EXPECT_EQ(header[7], 25350 >> 8);
    EXPECT_EQ(header[8], 0x34);
    EXPECT_EQ(header[9], 0x12);

    message.quality = emu::Quality::LP;
    message.data.assign(70000u * 528, 0);  // more than the length field counts
    EXPECT_EQ(message.Blocks(), 0xFFFF);
    EXPECT_EQ((message.HeaderBlock()[1] >> 5) & 3, 1);
}

TEST(FrameParser, DropsStrayBytesAndRecoversFromAFalseStart) {
    emu::FrameParser parser;
    // Filler zeros, a false start AA AA BD 00, a mode frame behind an extra AA, an unknown
    // command, then a real frame split over two feeds.
    const Bytes first{0x00, 0x00, 0xAA, 0xAA, 0xBD, 0x00, 0x00, 0xAA, 0xAA,
                      0xAA, 0xAA, 0x55, 0xAA, 0x42, 0x01, 0x02, 0xAA, 0xB1};
    parser.Feed(first.data(), first.size());
    EXPECT_EQ(parser.Next(), (emu::Frame{0xAA, 0xBD, 0x00, 0x00}));
    EXPECT_EQ(parser.Next(), (emu::Frame{0xAA, 0xAA, 0xAA, 0x55}));
    EXPECT_EQ(parser.Next(), std::nullopt);
    const Bytes second{0x04, 0x63};
    parser.Feed(second.data(), second.size());
    EXPECT_EQ(parser.Next(), (emu::Frame{0xAA, 0xB1, 0x04, 0x63}));
    EXPECT_FALSE(parser.HasInput());
}

TEST(FrameParser, TellsModeFramesApart) {
    EXPECT_EQ(emu::Recognise({0xAA, 0xAA, 0xAA, 0x55}), emu::Command::ModeOn);
    EXPECT_EQ(emu::Recognise({0xAA, 0xAA, 0x00, 0xFF}), emu::Command::ModeOff);
    EXPECT_EQ(emu::Recognise({0xAA, 0xAA, 0x00, 0x00}), std::nullopt);
    EXPECT_EQ(emu::DescribeFrame({0xAA, 0xC1, 0xAE, 0x60}), "set time 13:45 (value 24750)");
}

TEST(Options, CheckedBeforeUse) {
    EXPECT_EQ(emu::CheckOptions({}), "");
    emu::Options options;
    options.modeVariant = 3;
    EXPECT_NE(emu::CheckOptions(options), "");
    options = {};
    options.counts[4] = 101;
    EXPECT_NE(emu::CheckOptions(options), "");
}
