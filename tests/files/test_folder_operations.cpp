// Folder operations of the folder tree, on real temporary folders with scripted answers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "core/files/folder_operations.h"
#include "core/res/strings.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

struct FolderOperationsTest : ::testing::Test {
    TempFolder root;
    ScriptedPrompt prompt;
    FailingFileSystem fs;
    FolderOperations operations{prompt, fs};
};

}  // namespace

TEST_F(FolderOperationsTest, NewFolderTakesTheFirstFreeNameFilesIncluded) {
    std::string name;
    ASSERT_TRUE(operations.NewFolder(root.Path(), name));
    EXPECT_EQ(name, "New Folder");
    WriteFile(root / "New Folder-1", "a file takes the name too");
    ASSERT_TRUE(operations.NewFolder(root.Path(), name));
    EXPECT_EQ(name, "New Folder-2");
    EXPECT_TRUE(IsFolder(root / "New Folder-2"));
    EXPECT_EQ(operations.MakeNewFolderName(root.Path().substr(0, root.Path().size() - 1)),
              "New Folder-3");
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(FolderOperationsTest, NewFolderThatCannotBeMadeIsReported) {
    fs.Fail(FailingFileSystem::MakeFolderCall, root / "New Folder");
    std::string name;
    EXPECT_FALSE(operations.NewFolder(root.Path(), name));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_FALSE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "Make Folder Failed.");
    EXPECT_EQ(prompt.boxes[0].caption, "Make Folder");
}

TEST_F(FolderOperationsTest, RenameChecksTheNameBeforeTouchingTheDisk) {
    MakeFolder(root / "Music");
    MakeFolder(root / "Voice");
    const std::string music = root / "Music/";

    EXPECT_EQ(operations.RenameFolder(music, "Music", "Music"), RenameOutcome::Unchanged);
    EXPECT_TRUE(prompt.boxes.empty());

    EXPECT_EQ(operations.RenameFolder(music, "Music", ""), RenameOutcome::EditAgain);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "You Must Input FolderName.");
    EXPECT_EQ(prompt.boxes[0].caption, "Folder ReName");

    EXPECT_EQ(operations.RenameFolder(music, "Music", "Voice"), RenameOutcome::EditAgain);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text,
              "Music - ReName Failed.\nExisted Folder Name.\nYou Must Input the Different "
              "FolderName.");
    EXPECT_EQ(prompt.boxes[1].caption, "Folder ReName Failed ");

    for (const char* bad : {"../Escaped", "sub/dir", ".", ".."}) {
        prompt.boxes.clear();
        EXPECT_EQ(operations.RenameFolder(music, "Music", bad), RenameOutcome::EditAgain) << bad;
        ASSERT_EQ(prompt.boxes.size(), 1u) << bad;
        EXPECT_EQ(prompt.boxes[0].text, std::string("Music") + text::kFolderRenameInvalidTail);
        EXPECT_EQ(prompt.boxes[0].caption, "Folder ReName Failed ");
    }
    EXPECT_EQ(NamesIn(root.Path()), (std::vector<std::string>{"Music", "Voice"}));
}

TEST_F(FolderOperationsTest, RenameMovesTheFolderWithItsContent) {
    MakeFolder(root / "Music");
    WriteFile(root / "Music/a.wav", "a");
    EXPECT_EQ(operations.RenameFolder(root / "Music/", "Music", "music"), RenameOutcome::Renamed);
    EXPECT_EQ(ReadFile(root / "music/a.wav"), "a");
    EXPECT_FALSE(Exists(root / "Music"));
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(FolderOperationsTest, ARenameTheFileSystemRefusesIsReportedAndKeepsTheName) {
    MakeFolder(root / "Music");
    fs.Fail(FailingFileSystem::RenameCall, root / "Music");
    EXPECT_EQ(operations.RenameFolder(root / "Music/", "Music", "Songs"), RenameOutcome::Failed);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Music - ReName Failed.");
    EXPECT_TRUE(IsFolder(root / "Music"));
}

TEST_F(FolderOperationsTest, DeleteAsksOnceAndNoLeavesEverything) {
    MakeFolder(root / "Old");
    WriteFile(root / "Old/a.wav", "a");
    EXPECT_EQ(operations.DeleteFolder(root / "Old/", false),
              FolderOperations::DeleteOutcome::NotDone);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "'" + root.Path() +
                                        "Old' Do You Want Delete Folder?\n"
                                        "It Holds 1 File(s) and 0 Folder(s).");
    EXPECT_EQ(prompt.boxes[0].caption, "Delete Folder ");
    EXPECT_EQ(ReadFile(root / "Old/a.wav"), "a");
    EXPECT_EQ(prompt.m_waits, 0);  // no wait cursor before the answer
}

TEST_F(FolderOperationsTest, TheQuestionCountsWhatTheFolderHoldsWithoutFollowingLinks) {
    MakeFolder(root / "Old");
    MakeFolder(root / "Old/Sub");
    MakeFolder(root / "Old/Sub/Deeper");
    WriteFile(root / "Old/a.wav", "a");
    WriteFile(root / "Old/Sub/Deeper/b.wav", "b");
    MakeFolder(root / "Outside");
    WriteFile(root / "Outside/c.wav", "c");
    MakeLink(root / "Outside", root / "Old/link");  // counted as one name, never entered
    MakeFolder(root / "Empty");
    operations.DeleteFolder(root / "Old/", false);
    operations.DeleteFolder(root / "Empty", false);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].text, "'" + root.Path() +
                                        "Old' Do You Want Delete Folder?\n"
                                        "It Holds 3 File(s) and 2 Folder(s).");
    EXPECT_EQ(prompt.boxes[1].text,
              "'" + root.Path() + "Empty' Do You Want Delete Folder?\nIt Is Empty.");
}

namespace {

// A tree far too big to count: every folder holds 3000 more.
class EndlessFileSystem : public LocalFileSystem {
public:
    bool ListFolder(const std::string&, std::vector<LocalFolderItem>& items, bool) override {
        ++listings;
        for (int i = 0; i < 3000; ++i)
            items.push_back({"f" + std::to_string(i), LocalFolderItem::Type::Folder});
        return true;
    }
    int listings = 0;
};

}  // namespace

TEST(FolderOperationsBound, AHugeTreeIsCountedOnlyUpToTheLimit) {
    ScriptedPrompt prompt;
    EndlessFileSystem fs;
    FolderOperations operations(prompt, fs);
    EXPECT_EQ(operations.DeleteFolder("/endless/", false),
              FolderOperations::DeleteOutcome::NotDone);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "'/endless' Do You Want Delete Folder?\nIt Holds More Than 10000 Files and "
              "Folders.");
    EXPECT_LE(fs.listings, 4);
}

TEST_F(FolderOperationsTest, DeleteRemovesTheWholeSubtreeWithOneQuestion) {
    MakeFolder(root / "Old");
    WriteFile(root / "Old/locked.wav", "x");
    ASSERT_EQ(chmod((root / "Old/locked.wav").c_str(), 0444), 0);
    WriteFile(root / "Old/.hidden", "x");
    MakeFolder(root / "Old/Sub");
    MakeFolder(root / "Old/Sub/Deeper");
    WriteFile(root / "Old/Sub/Deeper/b.wav", "b");
    prompt.Answer(true);

    EXPECT_EQ(operations.DeleteFolder(root / "Old/", false),
              FolderOperations::DeleteOutcome::Deleted);
    EXPECT_EQ(prompt.boxes.size(), 1u);
    EXPECT_FALSE(Exists(root / "Old"));
    EXPECT_EQ(prompt.m_waitDepth, 0);
    EXPECT_EQ(prompt.m_waits, 1);
}

TEST_F(FolderOperationsTest, DeleteRemovesLinksAsLinksAndNeverTouchesWhatTheyPointTo) {
    MakeFolder(root / "Outside");
    WriteFile(root / "Outside/precious.wav", "keep");
    WriteFile(root / "lonely.wav", "keep too");
    MakeFolder(root / "Old");
    MakeLink(root / "Outside", root / "Old/folderLink");
    MakeLink(root / "lonely.wav", root / "Old/fileLink");
    MakeLink(root / "nowhere", root / "Old/dangling");
    prompt.Answer(true);

    EXPECT_EQ(operations.DeleteFolder(root / "Old", false),
              FolderOperations::DeleteOutcome::Deleted);
    EXPECT_FALSE(Exists(root / "Old"));
    EXPECT_EQ(ReadFile(root / "Outside/precious.wav"), "keep");
    EXPECT_EQ(ReadFile(root / "lonely.wav"), "keep too");
}

TEST_F(FolderOperationsTest, AFolderThatIsALinkIsNeverEmptiedThroughTheLink) {
    MakeFolder(root / "Real");
    WriteFile(root / "Real/a.wav", "keep");
    MakeLink(root / "Real", root / "Alias");
    EXPECT_FALSE(operations.DeleteFolderTree(root / "Alias"));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Delete Folder Failed.");
    EXPECT_EQ(ReadFile(root / "Real/a.wav"), "keep");
}

TEST_F(FolderOperationsTest, AFileThatStaysUndeletableStopsTheDeleteWithOneMessage) {
    MakeFolder(root / "Old");
    WriteFile(root / "Old/stuck.wav", "x");
    MakeFolder(root / "Old/Sub");
    WriteFile(root / "Old/Sub/b.wav", "b");
    fs.Fail(FailingFileSystem::RemoveFileCall, root / "Old/stuck.wav");
    prompt.Answer(true);

    EXPECT_EQ(operations.DeleteFolder(root / "Old/", false),
              FolderOperations::DeleteOutcome::Failed);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_FALSE(prompt.boxes[1].question);
    EXPECT_EQ(prompt.boxes[1].text, "Delete Folder Failed.");
    EXPECT_EQ(prompt.boxes[1].caption, "Delete Folder");
    EXPECT_TRUE(Exists(root / "Old/stuck.wav"));
    EXPECT_TRUE(IsFolder(root / "Old"));
    EXPECT_EQ(prompt.m_waitDepth, 0);
}

TEST_F(FolderOperationsTest, AnEmptiedFolderThatCannotBeRemovedIsReported) {
    MakeFolder(root / "Old");
    WriteFile(root / "Old/a.wav", "a");
    fs.Fail(FailingFileSystem::RemoveFolderCall, root / "Old");
    prompt.Answer(true);
    EXPECT_EQ(operations.DeleteFolder(root / "Old/", false),
              FolderOperations::DeleteOutcome::FolderRemoveFailed);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text, "Delete Folder Failed.");
    EXPECT_FALSE(Exists(root / "Old/a.wav"));
}

TEST_F(FolderOperationsTest, ATreeHoldingAMountPointIsRefusedBeforeAnythingIsDeleted) {
    MakeFolder(root / "Old");
    WriteFile(root / "Old/a.wav", "a");
    MakeFolder(root / "Old/Sub");
    WriteFile(root / "Old/Sub/b.wav", "b");
    MakeFolder(root / "Old/Sub/mounted");
    WriteFile(root / "Old/Sub/mounted/other.wav", "keep");
    fs.MountRootAt(root / "Old/Sub/mounted");
    prompt.Answer(true);
    EXPECT_EQ(operations.DeleteFolder(root / "Old/", false),
              FolderOperations::DeleteOutcome::NotDone);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text, "Delete Folder Failed.\n'" + root.Path() +
                                        "Old/Sub/mounted' Is a Mount Point: Nothing Was Deleted.");
    EXPECT_EQ(prompt.boxes[1].caption, "Delete Folder");
    EXPECT_EQ(ReadFile(root / "Old/a.wav"), "a");
    EXPECT_EQ(ReadFile(root / "Old/Sub/b.wav"), "b");
    EXPECT_EQ(ReadFile(root / "Old/Sub/mounted/other.wav"), "keep");

    // A folder that is itself a mounted volume is not emptied either.
    fs.MountRootAt(root / "Old/Sub");
    EXPECT_FALSE(operations.DeleteFolderTree(root / "Old/Sub/"));
    EXPECT_EQ(prompt.boxes.back().text, "Delete Folder Failed.\n'" + root.Path() +
                                            "Old/Sub' Is a Mount Point: Nothing Was Deleted.");
    EXPECT_EQ(ReadFile(root / "Old/Sub/b.wav"), "b");
    EXPECT_EQ(prompt.m_waitDepth, 0);
}

TEST_F(FolderOperationsTest, AFolderThatIsALinkLosesTheLinkOnlyAfterSayingSo) {
    MakeFolder(root / "Real");
    WriteFile(root / "Real/a.wav", "keep");
    MakeLink(root / "Real", root / "Alias");
    prompt.Answer(true);
    EXPECT_EQ(operations.DeleteFolder(root / "Alias/", false),
              FolderOperations::DeleteOutcome::Deleted);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "'" + root.Path() +
                  "Alias' Do You Want Delete Folder?\nIt Is a Link: Only the Link Is Deleted, "
                  "Not the Folder It Leads To.");
    EXPECT_FALSE(Exists(root / "Alias"));
    EXPECT_EQ(ReadFile(root / "Real/a.wav"), "keep");
}

TEST_F(FolderOperationsTest, DeleteOnADriveDoesNothing) {
    EXPECT_EQ(operations.DeleteFolder(root.Path(), true), FolderOperations::DeleteOutcome::NotDone);
    EXPECT_TRUE(prompt.boxes.empty());
}

namespace {

struct CopyTest : FolderOperationsTest {
    void SetUp() override {
        MakeFolder(root / "From");
        MakeFolder(root / "To");
        WriteFile(root / "From/one.wav", "new one");
        WriteFile(root / "From/two.wav", "new two");
        files = {{"one.wav", root / "From/one.wav"}, {"two.wav", root / "From/two.wav"}};
    }
    std::vector<FolderOperations::CopyItem> files;
};

}  // namespace

TEST_F(CopyTest, OnlyAnExistingTargetIsAskedAboutAndNoSkipsIt) {
    WriteFile(root / "To/one.wav", "old one");
    operations.CopyFilesTo(files, root / "To/");
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "Existed the  'one.wav' File.\nDo You Want Change This File?");
    EXPECT_EQ(prompt.boxes[0].caption, "File Change ");
    EXPECT_EQ(ReadFile(root / "To/one.wav"), "old one");
    EXPECT_EQ(ReadFile(root / "To/two.wav"), "new two");
    EXPECT_EQ(NamesIn(root / "To"), (std::vector<std::string>{"one.wav", "two.wav"}));
}

TEST_F(CopyTest, YesReplacesTheTargetAndTheCopyKeepsPermissionsAndTime) {
    WriteFile(root / "To/one.wav", "old one");
    ASSERT_EQ(chmod((root / "From/one.wav").c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root / "From/one.wav").c_str(), times, 0), 0);
    prompt.Answer(true);

    operations.CopyFilesTo(files, root / "To");
    EXPECT_EQ(ReadFile(root / "To/one.wav"), "new one");
    struct stat st {};
    ASSERT_EQ(stat((root / "To/one.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(NamesIn(root / "To"), (std::vector<std::string>{"one.wav", "two.wav"}));
}

TEST_F(CopyTest, DroppingOnTheFilesOwnFolderAsksNothingAndSaysNothingWasCopied) {
    operations.CopyFilesTo(files, root / "From/");
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_FALSE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "Already in This Folder, Not Copied:\none.wav\ntwo.wav");
    EXPECT_EQ(prompt.boxes[0].caption, "File Copy");
    EXPECT_EQ(ReadFile(root / "From/one.wav"), "new one");
    EXPECT_EQ(ReadFile(root / "From/two.wav"), "new two");
    EXPECT_EQ(NamesIn(root / "From"), (std::vector<std::string>{"one.wav", "two.wav"}));
}

TEST_F(CopyTest, AFailedReplacementIsReportedAndTheOtherFilesStillCopy) {
    WriteFile(root / "To/one.wav", "old one");
    fs.Fail(FailingFileSystem::CopyCall, root / "To/one.wav");
    prompt.Answer(true);
    operations.CopyFilesTo(files, root / "To/");
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_FALSE(prompt.boxes[1].question);
    EXPECT_EQ(prompt.boxes[1].text, "'one.wav' File Copy Failed.");
    EXPECT_EQ(prompt.boxes[1].caption, "File Copy");
    EXPECT_EQ(ReadFile(root / "To/one.wav"), "old one");
    EXPECT_EQ(ReadFile(root / "To/two.wav"), "new two");
    EXPECT_EQ(prompt.m_waitDepth, 0);
}

TEST_F(CopyTest, AFailureWithNoTargetThereIsReportedNotAskedAbout) {
    files[0].path = root / "From/gone.wav";                     // vanished source
    fs.Fail(FailingFileSystem::CopyCall, root / "To/two.wav");  // full or read-only target
    operations.CopyFilesTo(files, root / "To/");
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_FALSE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "'one.wav' File Copy Failed.");
    EXPECT_EQ(prompt.boxes[0].caption, "File Copy");
    EXPECT_FALSE(prompt.boxes[1].question);
    EXPECT_EQ(prompt.boxes[1].text, "'two.wav' File Copy Failed.");
    EXPECT_TRUE(NamesIn(root / "To").empty());  // and no part file left behind
}

TEST_F(CopyTest, APipeListedAsAWavFileIsRefusedWithoutWaitingOnIt) {
    ASSERT_EQ(mkfifo((root / "From/pipe.wav").c_str(), 0644), 0);
    files.insert(files.begin(), {"pipe.wav", root / "From/pipe.wav"});
    alarm(20);  // a copy that waits for a writer would hang here for good
    EXPECT_FALSE(fs.CopyFile(root / "From/pipe.wav", root / "To/pipe.wav", true));
    operations.CopyFilesTo(files, root / "To/");
    alarm(0);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "'pipe.wav' File Copy Failed.\nIt Is Not a Regular File.");
    EXPECT_EQ(NamesIn(root / "To"), (std::vector<std::string>{"one.wav", "two.wav"}));
}

TEST_F(CopyTest, ANameOfTheLongestLengthCopies) {
    const std::string name = std::string(NAME_MAX - 4, 'n') + ".wav";
    WriteFile(root / ("From/" + name), "long");
    operations.CopyFilesTo({{name, root / ("From/" + name)}}, root / "To/");
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(ReadFile(root / ("To/" + name)), "long");
    EXPECT_EQ(NamesIn(root / "To"), std::vector<std::string>{name});
}
