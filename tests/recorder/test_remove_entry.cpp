// Renumbering of the directory and of the message files after a delete on the recorder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/link/message_directory.h"
#include "tests/support/test_owner.h"

namespace {

namespace fs = std::filesystem;

class RemoveEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Folder 0 holds four messages, their headers told apart by byte 0.
        directory.SetCount(0, 4);
        directory.SetCount(4, 2);
        for (int m = 1; m <= 4; ++m) {
            auto& e = directory.Entry(0, m);
            e.header.bytes[0] = static_cast<std::uint8_t>(m);
            e.loaded = 1;
        }
    }

    std::string PathOf(const char* name) const { return (owner.Folder() / name).string(); }
    Result RemoveEntry(int folder, int message) {
        return directory.RemoveEntry(folder, message, owner.WorkingFolder());
    }
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
        auto& e = directory.Entry(0, m);
        e.downloaded = 1;
        e.converted = converted ? 1 : 0;
    }
    int HeaderOf(int m) const { return directory.Entry(0, m).header.bytes[0]; }

    TestOwner owner;  // for its working folder
    MessageDirectory directory;
};

TEST_F(RemoveEntryTest, LaterMessagesMoveDownWithTheirFiles) {
    Put("0_02.Bin", "bin2");
    Put("0_03.Bin", "bin3");
    Put("0_03.wav", "wav3");
    Download(2, false);
    Download(3, true);

    EXPECT_TRUE(RemoveEntry(0, 2));

    EXPECT_EQ(directory.Count(0), 3);
    EXPECT_EQ(Content("0_02.Bin"), "bin3");
    EXPECT_EQ(Content("0_02.wav"), "wav3");
    EXPECT_FALSE(fs::exists(PathOf("0_03.Bin")));
    EXPECT_FALSE(fs::exists(PathOf("0_03.wav")));
    EXPECT_EQ(HeaderOf(1), 1);
    EXPECT_EQ(HeaderOf(2), 3);
    EXPECT_EQ(HeaderOf(3), 4);
    const auto& moved = directory.Entry(0, 2);
    EXPECT_EQ(moved.downloaded, 1);
    EXPECT_EQ(moved.converted, 1);
    EXPECT_EQ(directory.Entry(0, 3).downloaded, 0);
    const auto& vacant = directory.Entry(0, 4);
    EXPECT_EQ(vacant.loaded + vacant.downloaded + vacant.converted, 0);
    EXPECT_EQ(directory.Count(4), 2);  // other folders untouched
}

TEST_F(RemoveEntryTest, DeletingTheLastMessageOnlyRemovesItsOwnFiles) {
    Put("0_04.Bin", "bin4");
    Put("0_03.Bin", "bin3");
    Download(4, false);
    Download(3, false);

    EXPECT_TRUE(RemoveEntry(0, 4));

    EXPECT_EQ(directory.Count(0), 3);
    EXPECT_FALSE(fs::exists(PathOf("0_04.Bin")));
    EXPECT_EQ(Content("0_03.Bin"), "bin3");
    EXPECT_EQ(directory.Entry(0, 3).downloaded, 1);
    EXPECT_EQ(directory.Entry(0, 4).loaded, 0);
    EXPECT_EQ(directory.Entry(0, 4).downloaded, 0);
}

TEST_F(RemoveEntryTest, FilesLeftByAnEarlierConnectAreNeverOverwritten) {
    // Regression: after a reconnect (flags cleared, files still there) only flagged files were
    // renamed, straight over the untracked copy of the message below them.
    Put("0_02.Bin", "old2");  // message 2's copy from before the reconnect
    Put("0_03.Bin", "bin3");  // message 3, downloaded since the reconnect
    Download(3, false);

    EXPECT_TRUE(RemoveEntry(0, 1));

    EXPECT_EQ(Content("0_01.Bin"), "old2");
    EXPECT_EQ(Content("0_02.Bin"), "bin3");
    EXPECT_FALSE(fs::exists(PathOf("0_03.Bin")));
    EXPECT_EQ(directory.Entry(0, 1).downloaded, 0);  // still untracked
    EXPECT_EQ(directory.Entry(0, 2).downloaded, 1);
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

    const Result removed = RemoveEntry(0, 2);
    EXPECT_TRUE(removed.Is(Result::Category::FileNotWritten)) << removed;

    EXPECT_EQ(directory.Count(0), 3);
    EXPECT_EQ(HeaderOf(2), 3);
    EXPECT_EQ(HeaderOf(3), 4);
    // Old message 3 could not move to 0_02.Bin, so neither it nor anything above claims a file.
    EXPECT_EQ(directory.Entry(0, 2).downloaded, 0);
    EXPECT_EQ(directory.Entry(0, 3).downloaded, 0);
    EXPECT_EQ(Content("0_03.Bin"), "bin3");
    EXPECT_EQ(Content("0_04.Bin"), "bin4");
}

TEST_F(RemoveEntryTest, AFlagWhoseFileIsGoneIsDropped) {
    Download(3, true);  // flagged, but someone removed the files
    EXPECT_TRUE(RemoveEntry(0, 2));
    EXPECT_EQ(directory.Entry(0, 2).downloaded, 0);
    EXPECT_EQ(directory.Entry(0, 2).converted, 0);
}

TEST_F(RemoveEntryTest, NumbersOutsideTheFolderChangeNothing) {
    for (const auto& [folder, message] : {std::pair{0, 5}, std::pair{0, 0}, std::pair{1, 1},
                                          std::pair{7, 1}}) {  // folder 1 is empty
        EXPECT_TRUE(RemoveEntry(folder, message).Is(Result::Category::BadRequest));
    }
    EXPECT_EQ(directory.Count(0), 4);
    EXPECT_EQ(directory.Count(1), 0);
    EXPECT_EQ(HeaderOf(4), 4);
}

TEST_F(RemoveEntryTest, WithoutAWorkingFolderNothingIsTouched) {
    // Regression: an empty working folder made the paths relative, so the renumbering deleted
    // and renamed files in whatever folder the program was started from.
    const fs::path cwd = fs::current_path();
    fs::current_path(owner.Folder());
    Put("0_02.Bin", "bin2");
    Put("0_03.Bin", "bin3");
    Download(3, false);
    const Result refused = directory.RemoveEntry(0, 2, "");
    fs::current_path(cwd);
    EXPECT_TRUE(refused.Is(Result::Category::BadRequest)) << refused;
    EXPECT_EQ(Content("0_02.Bin"), "bin2");
    EXPECT_EQ(Content("0_03.Bin"), "bin3");
    EXPECT_EQ(directory.Count(0), 4);
    EXPECT_EQ(HeaderOf(3), 3);
}

}  // namespace
