// Renumbering of the directory and of the message files after a delete on the recorder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/link/recorder_link.h"
#include "tests/recorder/test_owner.h"

namespace {

namespace fs = std::filesystem;

class RemoveEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.m_pOwner = &owner;
        // Folder 0 holds four messages, their headers told apart by byte 0.
        link.m_directory.count = {4, 0, 0, 0, 2};
        for (int m = 1; m <= 4; ++m) {
            auto& e = link.m_directory.Entry(0, m);
            e.header.bytes[0] = static_cast<std::uint8_t>(m);
            e.loaded = 1;
        }
    }

    std::string PathOf(const char* name) const { return (owner.Folder() / name).string(); }
    void Put(const char* name, const std::string& content) {
        std::ofstream(PathOf(name), std::ios::binary) << content;
    }
    std::string Content(const char* name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        if (!in) return "<missing>";
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Download(int m, bool converted) {
        auto& e = link.m_directory.Entry(0, m);
        e.downloaded = 1;
        e.converted = converted ? 1 : 0;
    }
    int HeaderOf(int m) const { return link.m_directory.Entry(0, m).header.bytes[0]; }

    TestOwner owner;
    RecorderLink link;
};

TEST_F(RemoveEntryTest, LaterMessagesMoveDownWithTheirFiles) {
    Put("0_02.Bin", "bin2");
    Put("0_03.Bin", "bin3");
    Put("0_03.wav", "wav3");
    Download(2, false);
    Download(3, true);

    link.RemoveEntry(0, 2);

    EXPECT_EQ(link.m_directory.count[0], 3);
    EXPECT_EQ(Content("0_02.Bin"), "bin3");
    EXPECT_EQ(Content("0_02.wav"), "wav3");
    EXPECT_FALSE(fs::exists(PathOf("0_03.Bin")));
    EXPECT_FALSE(fs::exists(PathOf("0_03.wav")));
    EXPECT_EQ(HeaderOf(1), 1);
    EXPECT_EQ(HeaderOf(2), 3);
    EXPECT_EQ(HeaderOf(3), 4);
    const auto& moved = link.m_directory.Entry(0, 2);
    EXPECT_EQ(moved.downloaded, 1);
    EXPECT_EQ(moved.converted, 1);
    EXPECT_EQ(link.m_directory.Entry(0, 3).downloaded, 0);
    const auto& vacant = link.m_directory.Entry(0, 4);
    EXPECT_EQ(vacant.loaded + vacant.downloaded + vacant.converted, 0);
    EXPECT_EQ(link.m_directory.count[4], 2);  // other folders untouched
}

TEST_F(RemoveEntryTest, DeletingTheLastMessageOnlyRemovesItsOwnFiles) {
    Put("0_04.Bin", "bin4");
    Put("0_03.Bin", "bin3");
    Download(4, false);
    Download(3, false);

    link.RemoveEntry(0, 4);

    EXPECT_EQ(link.m_directory.count[0], 3);
    EXPECT_FALSE(fs::exists(PathOf("0_04.Bin")));
    EXPECT_EQ(Content("0_03.Bin"), "bin3");
    EXPECT_EQ(link.m_directory.Entry(0, 3).downloaded, 1);
    EXPECT_EQ(link.m_directory.Entry(0, 4).loaded, 0);
    EXPECT_EQ(link.m_directory.Entry(0, 4).downloaded, 0);
}

TEST_F(RemoveEntryTest, FilesLeftByAnEarlierConnectAreNeverOverwritten) {
    // Regression: after a reconnect (flags cleared, files still there) only flagged files were
    // renamed, straight over the untracked copy of the message below them.
    Put("0_02.Bin", "old2");  // message 2's copy from before the reconnect
    Put("0_03.Bin", "bin3");  // message 3, downloaded since the reconnect
    Download(3, false);

    link.RemoveEntry(0, 1);

    EXPECT_EQ(Content("0_01.Bin"), "old2");
    EXPECT_EQ(Content("0_02.Bin"), "bin3");
    EXPECT_FALSE(fs::exists(PathOf("0_03.Bin")));
    EXPECT_EQ(link.m_directory.Entry(0, 1).downloaded, 0);  // still untracked
    EXPECT_EQ(link.m_directory.Entry(0, 2).downloaded, 1);
}

TEST_F(RemoveEntryTest, AFailedMoveLeavesFlagsThatMatchTheFiles) {
    // Regression: a rename that failed ended the renumbering with entries already moved down
    // and still flagged, so they pointed at other messages' files.
    Put("0_03.Bin", "bin3");
    Put("0_04.Bin", "bin4");
    Download(3, false);
    Download(4, false);
    // Something that cannot be removed sits under the deleted message's name.
    fs::create_directory(PathOf("0_02.Bin"));
    Put("0_02.Bin/keep", "x");

    link.RemoveEntry(0, 2);

    EXPECT_EQ(link.m_directory.count[0], 3);
    EXPECT_EQ(HeaderOf(2), 3);
    EXPECT_EQ(HeaderOf(3), 4);
    // Old message 3 could not move to 0_02.Bin, so neither it nor anything above claims a file.
    EXPECT_EQ(link.m_directory.Entry(0, 2).downloaded, 0);
    EXPECT_EQ(link.m_directory.Entry(0, 3).downloaded, 0);
    EXPECT_EQ(Content("0_03.Bin"), "bin3");
    EXPECT_EQ(Content("0_04.Bin"), "bin4");
}

TEST_F(RemoveEntryTest, AFlagWhoseFileIsGoneIsDropped) {
    Download(3, true);  // flagged, but someone removed the files
    link.RemoveEntry(0, 2);
    EXPECT_EQ(link.m_directory.Entry(0, 2).downloaded, 0);
    EXPECT_EQ(link.m_directory.Entry(0, 2).converted, 0);
}

TEST_F(RemoveEntryTest, NumbersOutsideTheFolderChangeNothing) {
    link.RemoveEntry(0, 5);
    link.RemoveEntry(0, 0);
    link.RemoveEntry(1, 1);  // folder 1 is empty
    link.RemoveEntry(7, 1);
    EXPECT_EQ(link.m_directory.count[0], 4);
    EXPECT_EQ(link.m_directory.count[1], 0);
    EXPECT_EQ(HeaderOf(4), 4);
}

}  // namespace
