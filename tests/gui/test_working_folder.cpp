// Where the working folder goes, and what its removal at close may touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frame/working_folder.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path Fresh(const char* name) {
    const fs::path path = fs::path(guitest::ScratchFolder()) / name;
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

void Touch(const fs::path& path) {
    std::ofstream(path) << "x";
}

}  // namespace

TEST(WorkingFolderTest, BesideTheProgramWhenItCanBeWrittenElseInTheCache) {
    const fs::path program = Fresh("wf-program");
    const fs::path cache = Fresh("wf-cache");
    EXPECT_EQ(PrepareWorkingFolder(program.string(), cache.string()),
              (program / "Source").string() + "/");
    EXPECT_TRUE(fs::is_directory(program / "Source"));
    // Preparing again finds it there.
    EXPECT_EQ(PrepareWorkingFolder(program.string(), cache.string()),
              (program / "Source").string() + "/");

    // A program folder that cannot hold a folder (here: it is a file) sends it to the cache.
    const fs::path blocked = Fresh("wf-blocked") / "program";
    Touch(blocked);
    EXPECT_EQ(PrepareWorkingFolder(blocked.string(), cache.string()),
              (cache / "Source").string() + "/");
    EXPECT_EQ(PrepareWorkingFolder(blocked.string(), (blocked / "sub").string()), "");
}

TEST(WorkingFolderTest, RemovalDeletesOnlyTheProgramsOwnMessageFiles) {
    const fs::path folder = Fresh("wf-remove") / "Source";
    fs::create_directories(folder);
    for (const char* ours : {"0_01.Bin", "0_01.wav", "4_100.wav", "2_07.Bin"}) Touch(folder / ours);
    const char* theirs[] = {"notes.txt", "0_1.Bin",      "5_01.Bin",
                            "0_01.bin",  "0_01.wav.txt", "0_001.wav"};
    for (const char* name : theirs) Touch(folder / name);
    fs::create_directories(folder / "0_02.wav");  // a folder is never taken for a file of ours

    RemoveWorkingFolder(folder.string() + "/");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"0_001.wav", "0_01.bin", "0_01.wav.txt", "0_02.wav",
                                              "0_1.Bin", "5_01.Bin", "notes.txt"}));

    // Once only our files were there, the folder goes with them.
    for (const char* name : theirs) fs::remove(folder / name);
    fs::remove(folder / "0_02.wav");
    Touch(folder / "3_09.wav");
    RemoveWorkingFolder(folder.string() + "/");
    EXPECT_FALSE(fs::exists(folder));
}
