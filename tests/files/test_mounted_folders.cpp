// Deleting a folder tree never reaches into a mounted file system, with real bind mounts.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/files/folder_operations.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

class MountedFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "bind mounts need root, which this test run is not";
        // A mount namespace of our own keeps the mounts from the rest of the machine and ends
        // them with this process, whatever happens to it.
        if (unshare(CLONE_NEWNS) == 0) mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        MakeFolder(root / "bm");
        MakeFolder(root / "bm/outside");
        WriteFile(root / "bm/outside/keep.wav", "keep");
        MakeFolder(root / "bm/top");
        MakeFolder(root / "bm/top/inner");
        WriteFile(root / "bm/top/own.wav", "own");
    }
    void TearDown() override {
        for (auto it = m_mounted.rbegin(); it != m_mounted.rend(); ++it)
            umount2(it->c_str(), MNT_DETACH);
    }
    // False (and the test skipped by the caller) where this system refuses bind mounts.
    bool Bind(const std::string& from, const std::string& to) {
        if (mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            m_error = std::strerror(errno);
            return false;
        }
        m_mounted.push_back(to);
        return true;
    }

    // Deletes folder with a Yes to the question; the failure box's text, "" when none came.
    std::string RefusalOf(const std::string& folder) {
        prompt.Answer(true);
        EXPECT_EQ(operations.DeleteFolder(folder, false), FolderOperations::DeleteOutcome::NotDone);
        return prompt.boxes.size() == 2 ? prompt.boxes[1].text : std::string();
    }
    std::string MountPointText(const std::string& folder) const {
        return "Delete Folder Failed.\n'" + folder + "' Is a Mount Point: Nothing Was Deleted.";
    }

    TempFolder root;
    ScriptedPrompt prompt;
    FolderOperations operations{prompt};
    std::string m_error;

private:
    std::vector<std::string> m_mounted;
};

}  // namespace

TEST_F(MountedFolderTest, ABindMountInsideTheTreeStopsTheDeleteBeforeAnythingGoes) {
    if (!Bind(root / "bm/outside", root / "bm/top/inner"))
        GTEST_SKIP() << "this system refuses bind mounts: " << m_error;
    EXPECT_TRUE(LocalFileSystem::Real().IsMountRoot(root / "bm/top/inner"));
    EXPECT_FALSE(LocalFileSystem::Real().IsMountRoot(root / "bm/top"));

    EXPECT_EQ(RefusalOf(root / "bm/top/"), MountPointText(root / "bm/top/inner"));
    EXPECT_EQ(ReadFile(root / "bm/outside/keep.wav"), "keep");
    EXPECT_EQ(ReadFile(root / "bm/top/own.wav"), "own");
}

TEST_F(MountedFolderTest, AFolderThatIsItselfAMountRootIsNotEmptied) {
    if (!Bind(root / "bm/outside", root / "bm/top"))
        GTEST_SKIP() << "this system refuses bind mounts: " << m_error;
    EXPECT_EQ(RefusalOf(root / "bm/top"), MountPointText(root / "bm/top"));
    EXPECT_EQ(ReadFile(root / "bm/outside/keep.wav"), "keep");
}
