// Where the working folder goes, and what its removal at close may touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/messages/working_folder.h"
#include "gui/app/manager_app.h"
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
    const fs::path run = Fresh("wf-run");
    {
        WorkingFolder folder;
        folder.Prepare({program.string(), cache.string(), {run.string()}});
        EXPECT_EQ(folder.Path(), (program / "Source").string() + "/");
        EXPECT_FALSE(folder.IsPrivate());
        EXPECT_TRUE(fs::is_directory(program / "Source"));
        // Preparing again finds it there.
        folder.Prepare({program.string(), cache.string(), {run.string()}});
        EXPECT_EQ(folder.Path(), (program / "Source").string() + "/");
    }
    // A program folder that cannot hold a folder (here: it is a file) sends it to the cache.
    const fs::path blocked = Fresh("wf-blocked") / "program";
    Touch(blocked);
    WorkingFolder folder;
    folder.Prepare({blocked.string(), cache.string(), {run.string()}});
    EXPECT_EQ(folder.Path(), (cache / "Source").string() + "/");
}

TEST(WorkingFolderTest, WithoutUsablePlacesAPrivateFolderElseNoneButNeverARelativeOne) {
    const fs::path blocked = Fresh("wf-nowhere") / "file";
    Touch(blocked);
    const std::string inside = (blocked / "sub").string();
    WorkingFolder none;
    none.Prepare({blocked.string(), inside, {inside, (blocked / "tmp").string()}});
    EXPECT_EQ(none.Path(), "");
    EXPECT_NE(none.Problem().find(blocked.string()), std::string::npos) << none.Problem();
    none.Remove();  // nothing to remove, nothing touched

    // A private folder for this run, for this user alone, removed whole at the end.
    const fs::path run = Fresh("wf-private");
    WorkingFolder own;
    own.Prepare({blocked.string(), inside, {inside, run.string()}});
    ASSERT_TRUE(own.IsPrivate());
    const fs::path made = fs::path(own.Path()).parent_path();
    EXPECT_EQ(made.parent_path(), run);
    EXPECT_EQ(made.filename().string().rfind("sonoret-manager-", 0), 0u) << made;
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all);
    Touch(made / "0_01.Bin");
    Touch(made / "0_01.wav.part");
    own.Remove();
    EXPECT_FALSE(fs::exists(made));
    EXPECT_EQ(own.Path(), "");
}

TEST(WorkingFolderTest, ASecondRunningCopyWorksInAFolderOfItsOwn) {
    const fs::path program = Fresh("wf-two");
    const fs::path run = Fresh("wf-two-run");
    const WorkingFolder::Places places{program.string(), "", {run.string()}};
    WorkingFolder first;
    first.Prepare(places);
    ASSERT_EQ(first.Path(), (program / "Source").string() + "/");

    WorkingFolder second;
    second.Prepare(places);
    ASSERT_TRUE(second.IsPrivate());
    ASSERT_NE(second.Path(), first.Path());
    Touch(first.Path() + "0_02.wav");
    Touch(second.Path() + "0_02.wav");

    // The second copy's close leaves the first one's files alone.
    second.Remove();
    EXPECT_TRUE(fs::exists(first.Path() + "0_02.wav"));

    // The folder removed under the first copy's feet is made again, and still held by it.
    fs::remove_all(program / "Source");
    first.Prepare(places);
    ASSERT_EQ(first.Path(), (program / "Source").string() + "/");
    ASSERT_TRUE(fs::is_directory(program / "Source"));
    WorkingFolder third;
    third.Prepare(places);
    EXPECT_TRUE(third.IsPrivate());
    third.Remove();

    // Once the first copy has closed, "Source" is free for the next one.
    const std::string shared = first.Path();
    first.Remove();
    EXPECT_FALSE(fs::exists(shared));
    WorkingFolder next;
    next.Prepare(places);
    EXPECT_EQ(next.Path(), shared);
    EXPECT_FALSE(next.IsPrivate());
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

// Regression: run as root, the installed program made /usr/bin/Source its working folder.
TEST(WorkingFolderTest, AnInstalledProgramKeepsItsMessagesInTheCacheNotBesideItself) {
    for (const char* installed : {"/usr/bin", "/usr/local/bin/", "/bin", "/sbin",
                                  "/opt/sonoret/bin", "/lib/x86_64-linux-gnu", "/usr"}) {
        EXPECT_TRUE(IsInstalledProgramFolder(installed)) << installed;
    }
    for (const char* built :
         {"/usr2/bin", "/home/user/sonoret/build/default/bin", "/optional", "bin", ""}) {
        EXPECT_FALSE(IsInstalledProgramFolder(built)) << built;
    }
    // Installed below a prefix of the user's own: its bin folder beside our lib/sonoret.
    const fs::path prefix = Fresh("wf-prefix");
    fs::create_directories(prefix / "bin");
    EXPECT_FALSE(IsInstalledProgramFolder((prefix / "bin").string()));
    fs::create_directories(prefix / "lib/sonoret");
    EXPECT_TRUE(IsInstalledProgramFolder((prefix / "bin").string()));
    // A link into a system folder counts as that folder.
    fs::create_directory_symlink("/usr/bin", prefix / "tools");
    EXPECT_TRUE(IsInstalledProgramFolder((prefix / "tools").string()));

    CManagerApp& app = theApp();
    const std::string program = app.m_strProgramFolder;
    app.m_strProgramFolder = (prefix / "bin").string();
    {
        guitest::FrameHarness harness;
        EXPECT_EQ(harness.WorkingFolder(),
                  guitest::ScratchFolder() + "/cache/QP2400/QP2400/Source/");
        EXPECT_FALSE(fs::exists(prefix / "bin/Source"));
    }
    app.m_strProgramFolder = program;
}
