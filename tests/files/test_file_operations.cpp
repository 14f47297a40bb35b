// File operations of the file list, on real temporary folders with scripted answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/files/cqp_doc.h"
#include "core/files/file_operations.h"
#include "core/res/strings.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

struct FileOperationsTest : ::testing::Test {
    FileEntry EntryFor(const std::string& name) {
        FileEntry entry;
        entry.name = name;
        entry.path = root / name;
        entry.kind = "wav File";
        return entry;
    }
    TempFolder root;
    ScriptedPrompt prompt;
    FailingFileSystem fs;
    FileOperations operations{prompt, fs};
};

}  // namespace

TEST_F(FileOperationsTest, RenameToTheSameNameOrAnEmptyOneChangesNothing) {
    WriteFile(root / "a.wav", "a");
    FileEntry entry = EntryFor("a.wav");
    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "a.wav"), RenameOutcome::Unchanged);
    EXPECT_TRUE(prompt.boxes.empty());

    EXPECT_EQ(operations.RenameFile(entry, root.Path(), ""), RenameOutcome::EditAgain);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_FALSE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "You Must Input FileName.");
    EXPECT_EQ(prompt.boxes[0].caption, "File ReName");
    EXPECT_EQ(entry.name, "a.wav");
}

TEST_F(FileOperationsTest, RenameOntoAnExistingFileIsRefusedAndBothStay) {
    WriteFile(root / "a.wav", "a");
    WriteFile(root / "b.wav", "b");
    FileEntry entry = EntryFor("a.wav");
    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "b.wav"), RenameOutcome::EditAgain);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "a.wav - Failed File ReName.\nExisted File Name.\nYou Must Input the Different "
              "FileName.");
    EXPECT_EQ(prompt.boxes[0].caption, "File ReName Failed ");
    EXPECT_EQ(ReadFile(root / "a.wav"), "a");
    EXPECT_EQ(ReadFile(root / "b.wav"), "b");
}

TEST_F(FileOperationsTest, NamesThatWouldLeaveTheFolderAreRefused) {
    MakeFolder(root / "sub");
    WriteFile(root / "a.wav", "a");
    FileEntry entry = EntryFor("a.wav");
    for (const char* bad : {"sub/a.wav", "../a.wav", ".", ".."}) {
        prompt.boxes.clear();
        EXPECT_EQ(operations.RenameFile(entry, root.Path(), bad), RenameOutcome::EditAgain) << bad;
        ASSERT_EQ(prompt.boxes.size(), 1u);
        EXPECT_EQ(prompt.boxes[0].text, std::string("a.wav") + text::kFileRenameInvalidTail);
    }
    EXPECT_EQ(NamesIn(root.Path()), (std::vector<std::string>{"a.wav", "sub"}));
    EXPECT_EQ(entry.path, root / "a.wav");
}

TEST_F(FileOperationsTest, RenameKeepsTheEntryInStepAndTakesTheKindFromTheLastDot) {
    WriteFile(root / "song.wav", "s");
    FileEntry entry = EntryFor("song.wav");
    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "my.song.WAV"), RenameOutcome::Renamed);
    EXPECT_EQ(entry.name, "my.song.WAV");
    EXPECT_EQ(entry.path, root / "my.song.WAV");
    EXPECT_EQ(entry.kind, "WAV File");
    EXPECT_EQ(ReadFile(root / "my.song.WAV"), "s");

    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "noextension"), RenameOutcome::Renamed);
    EXPECT_EQ(entry.kind, " File");
    // This file system tells letter cases apart, so a change of case alone is a new name.
    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "NoExtension"), RenameOutcome::Renamed);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(FileOperationsTest, ARenameTheFileSystemRefusesIsReportedAndTheEntryKeepsItsName) {
    WriteFile(root / "a.wav", "a");
    FileEntry entry = EntryFor("a.wav");
    fs.Fail(FailingFileSystem::RenameCall, root / "a.wav");
    EXPECT_EQ(operations.RenameFile(entry, root.Path(), "b.wav"), RenameOutcome::Failed);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "a.wav - Failed File ReName.");
    EXPECT_EQ(prompt.boxes[0].caption, "File ReName Failed ");
    EXPECT_EQ(entry.name, "a.wav");
    EXPECT_EQ(entry.path, root / "a.wav");
    EXPECT_EQ(entry.kind, "wav File");
}

TEST_F(FileOperationsTest, DeleteOfOneFileAsksWithoutACount) {
    WriteFile(root / "a.wav", "a");
    ASSERT_EQ(chmod((root / "a.wav").c_str(), 0444), 0);
    std::vector<size_t> removed;
    EXPECT_EQ(operations.DeleteFiles({root / "a.wav"}, [&](size_t i) { removed.push_back(i); }),
              0u);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].question);
    EXPECT_EQ(prompt.boxes[0].text, "Do You Want Delete File?\na.wav");
    EXPECT_EQ(prompt.boxes[0].caption, "Delete File");
    EXPECT_TRUE(Exists(root / "a.wav"));

    prompt.Answer(true);
    EXPECT_EQ(operations.DeleteFiles({root / "a.wav"}, [&](size_t i) { removed.push_back(i); }),
              1u);
    EXPECT_FALSE(Exists(root / "a.wav"));  // read-only, yet deleted without another question
    EXPECT_EQ(removed, std::vector<size_t>{0});
    EXPECT_EQ(prompt.boxes.size(), 2u);
}

TEST_F(FileOperationsTest, DeleteOfSeveralAsksOnceAndStopsAtTheFirstFailure) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) WriteFile(root / name, name);
    fs.Fail(FailingFileSystem::RemoveFileCall, root / "b.wav");
    prompt.Answer(true);
    std::vector<size_t> removed;
    EXPECT_EQ(operations.DeleteFiles({root / "a.wav", root / "b.wav", root / "c.wav"},
                                     [&](size_t i) { removed.push_back(i); }),
              1u);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].text, "Do You Want Delete 3 File?\na.wav\nb.wav\nc.wav");
    EXPECT_FALSE(prompt.boxes[1].question);
    EXPECT_EQ(prompt.boxes[1].text, "Delete File Failed.");
    EXPECT_EQ(prompt.boxes[1].caption, "Delete File");
    EXPECT_EQ(removed, std::vector<size_t>{0});
    EXPECT_EQ(NamesIn(root.Path()), (std::vector<std::string>{"b.wav", "c.wav"}));
    EXPECT_EQ(prompt.m_waitDepth, 0);
}

TEST_F(FileOperationsTest, ALongSelectionIsNamedInShort) {
    std::vector<std::string> paths;
    for (char c = 'a'; c <= 'h'; ++c) paths.push_back(root / (std::string(1, c) + ".wav"));
    EXPECT_EQ(operations.DeleteFiles(paths, {}), 0u);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "Do You Want Delete 8 File?\na.wav\nb.wav\nc.wav\nd.wav\ne.wav\nand 3 more");
}

TEST_F(FileOperationsTest, AFailedDeleteLeavesAReadOnlyFileReadOnly) {
    MakeFolder(root / "fixed");
    WriteFile(root / "fixed/locked.wav", "x");
    ASSERT_EQ(chmod((root / "fixed/locked.wav").c_str(), 0444), 0);
    FixedFolder fixed(root / "fixed");
    if (!fixed.Fixed()) GTEST_SKIP() << "this file system cannot make a folder's names fixed";
    EXPECT_FALSE(operations.DeleteFile(root / "fixed/locked.wav"));
    struct stat st {};
    ASSERT_EQ(stat((root / "fixed/locked.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}
