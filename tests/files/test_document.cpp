// The document: reading a folder's ".wav" files, subfolders, forced delete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "core/files/cqp_doc.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

class CountingView : public FileListView {
public:
    void RefillFromDocument() override { ++refills; }
    int refills = 0;
};

std::map<std::string, const FileEntry*> ByName(const CQPDoc& doc) {
    std::map<std::string, const FileEntry*> entries;
    for (const auto& entry : *doc.GetFileList()) entries[entry->name] = entry.get();
    return entries;
}

void SetTimes(const std::string& path, std::int64_t accessed, std::int64_t modified) {
    const struct timespec times[2] = {{static_cast<time_t>(accessed), 0},
                                      {static_cast<time_t>(modified), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(DocumentFill, ListsOnlyWavFilesWhateverTheCaseAndTakesTheKindFromTheLastDot) {
    TempFolder folder;
    WriteFile(folder / "Song.WAV", "1");
    WriteFile(folder / "a.b.wav", "22");
    WriteFile(folder / "plain.wav", "333");
    WriteFile(folder / "notes.txt", "x");
    WriteFile(folder / "wav", "x");
    WriteFile(folder / "tune.wav.bak", "x");
    MakeFolder(folder / "folder.wav");
    MakeLink(folder.Path() + "folder.wav", folder / "linked.wav");

    CQPDoc doc;
    CountingView view;
    doc.SetMidView(&view);
    doc.FillFileList(folder.Path());

    ASSERT_NE(doc.GetFileList(), nullptr);
    const auto entries = ByName(doc);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.at("Song.WAV")->kind, "WAV File");
    EXPECT_EQ(entries.at("a.b.wav")->kind, "wav File");
    EXPECT_EQ(entries.at("plain.wav")->path, folder.Path() + "plain.wav");
    EXPECT_EQ(entries.at("plain.wav")->size, 3u);
    EXPECT_EQ(doc.GetCurrentFolder(), folder.Path());
    EXPECT_EQ(view.refills, 1);
}

TEST(DocumentFill, AnEmptyOrMissingFolderStillSetsTheFolderAndRefillsTheView) {
    TempFolder folder;
    MakeFolder(folder / "sub");
    WriteFile(folder / "readme.txt", "x");
    CQPDoc doc;
    CountingView view;
    doc.SetMidView(&view);
    EXPECT_EQ(doc.GetFileList(), nullptr);

    doc.FillFileList(folder.Path());
    ASSERT_NE(doc.GetFileList(), nullptr);
    EXPECT_TRUE(doc.GetFileList()->empty());

    doc.FillFileList(folder.Path() + "gone/");
    ASSERT_NE(doc.GetFileList(), nullptr);
    EXPECT_TRUE(doc.GetFileList()->empty());
    EXPECT_EQ(doc.GetCurrentFolder(), folder.Path() + "gone/");
    EXPECT_EQ(view.refills, 2);
}

TEST(DocumentFill, SizesAndTimesAreSixtyFourBit) {
    TempFolder folder;
    const std::string big = folder / "big.wav";
    WriteFile(big, "");
    const off_t fiveGiB = off_t(5) << 30;
    ASSERT_EQ(truncate(big.c_str(), fiveGiB), 0);  // sparse: takes no room
    const std::int64_t year2100 = 4102444800;      // 2100-01-01, past 2038
    SetTimes(big, year2100 + 86400, year2100);

    CQPDoc doc;
    doc.FillFileList(folder.Path());
    const FileEntry* entry = ByName(doc).at("big.wav");
    EXPECT_EQ(entry->size, std::uint64_t(5) << 30);
    EXPECT_EQ(entry->modified, year2100);
    EXPECT_EQ(entry->accessed, year2100 + 86400);
}

TEST(DocumentFill, AttributesFollowThisPlatformsConventions) {
    TempFolder folder;
    WriteFile(folder / ".hidden.wav", "x");
    WriteFile(folder / "locked.wav", "x");
    ASSERT_EQ(chmod((folder / "locked.wav").c_str(), 0444), 0);
    WriteFile(folder / "normal.wav", "x");
    ASSERT_EQ(mkfifo((folder / "pipe.wav").c_str(), 0644), 0);

    CQPDoc doc;
    doc.FillFileList(folder.Path());
    const auto entries = ByName(doc);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries.at(".hidden.wav")->hidden, 1);
    EXPECT_EQ(entries.at(".hidden.wav")->kind, "wav File");
    EXPECT_EQ(entries.at("locked.wav")->readOnly, 1);
    EXPECT_EQ(entries.at("pipe.wav")->system, 1);
    const FileEntry* normal = entries.at("normal.wav");
    EXPECT_EQ(normal->hidden + normal->readOnly + normal->archive + normal->system, 0);
    EXPECT_GT(normal->modified, 0);
}

TEST(DocumentFill, EachFillMakesNewEntriesAndDropsTheCopyList) {
    TempFolder folder;
    WriteFile(folder / "a.wav", "x");
    CQPDoc doc;
    doc.FillFileList(folder.Path());
    const FileEntry* first = (*doc.GetFileList())[0].get();
    doc.SetCopyList({first});
    const FileEntry before = *first;

    doc.FillFileList(folder.Path());
    const FileEntry* second = (*doc.GetFileList())[0].get();
    EXPECT_EQ(second->name, before.name);
    EXPECT_EQ(second->size, before.size);
    EXPECT_TRUE(doc.GetCopyList().empty());  // it pointed into the old entries
}

TEST(DocumentFill, AFolderReachedThroughALinkIsReadLikeAnyOther) {
    TempFolder folder;
    MakeFolder(folder / "Real");
    MakeFolder(folder / "Real/Sub");
    WriteFile(folder / "Real/a.wav", "a");
    MakeLink(folder / "Real", folder / "Alias");

    CQPDoc doc;
    doc.FillFileList(folder / "Alias/");
    ASSERT_EQ(doc.GetFileList()->size(), 1u);
    EXPECT_EQ((*doc.GetFileList())[0]->path, folder / "Alias/a.wav");
    std::vector<std::string> names;
    CQPDoc::ListSubfolders(names, folder / "Alias");
    EXPECT_EQ(names, std::vector<std::string>{"Sub"});
}

TEST(DocumentHelpers, ResetFileEntryClearsEveryField) {
    FileEntry entry{"n", "p", 5, "k", 1, 2, 3, 1, 1, 1, 1};
    CQPDoc::ResetFileEntry(entry);
    EXPECT_TRUE(entry.name.empty() && entry.path.empty() && entry.kind.empty());
    EXPECT_EQ(entry.size + entry.created + entry.accessed + entry.modified, 0u);
    EXPECT_EQ(entry.hidden + entry.readOnly + entry.archive + entry.system, 0);
}

TEST(DocumentHelpers, ListSubfoldersAppendsFoldersWithOrWithoutTheFinalSeparator) {
    TempFolder folder;
    MakeFolder(folder / "Music");
    MakeFolder(folder / ".cache");
    WriteFile(folder / "file.wav", "x");
    MakeLink(folder.Path() + "Music", folder / "MusicLink");
    MakeLink(folder.Path() + "file.wav", folder / "FileLink");
    MakeLink(folder.Path() + "nowhere", folder / "Dangling");

    std::vector<std::string> withSeparator{"kept"};
    CQPDoc::ListSubfolders(withSeparator, folder.Path());
    std::vector<std::string> without;
    CQPDoc::ListSubfolders(without, folder.Path().substr(0, folder.Path().size() - 1));

    EXPECT_EQ(withSeparator.front(), "kept");  // the array is not cleared first
    withSeparator.erase(withSeparator.begin());
    std::sort(withSeparator.begin(), withSeparator.end());
    std::sort(without.begin(), without.end());
    const std::vector<std::string> expected{".cache", "Music", "MusicLink"};
    EXPECT_EQ(withSeparator, expected);
    EXPECT_EQ(without, expected);

    std::vector<std::string> none;
    CQPDoc::ListSubfolders(none, folder.Path() + "missing");
    EXPECT_TRUE(none.empty());
}

TEST(DocumentHelpers, DeleteLocalFileRemovesReadOnlyAndHiddenFilesAndLinksAsLinks) {
    TempFolder folder;
    WriteFile(folder / "locked.wav", "x");
    ASSERT_EQ(chmod((folder / "locked.wav").c_str(), 0400), 0);
    WriteFile(folder / ".hidden.wav", "x");
    WriteFile(folder / "target.wav", "keep");
    ASSERT_EQ(chmod((folder / "target.wav").c_str(), 0444), 0);
    MakeLink(folder.Path() + "target.wav", folder / "link.wav");

    EXPECT_NE(CQPDoc::DeleteLocalFile(folder / "locked.wav"), 0);
    EXPECT_NE(CQPDoc::DeleteLocalFile(folder / ".hidden.wav"), 0);
    EXPECT_NE(CQPDoc::DeleteLocalFile(folder / "link.wav"), 0);
    EXPECT_EQ(CQPDoc::DeleteLocalFile(folder / "missing.wav"), 0);

    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"target.wav"});
    struct stat st {};
    ASSERT_EQ(stat((folder / "target.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);  // the link's target keeps its permissions
    EXPECT_EQ(ReadFile(folder / "target.wav"), "keep");
}
