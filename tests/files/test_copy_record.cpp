// The "FormatFileCopy" record: what a drag carries, and what a drop refuses.
#include <gtest/gtest.h>

#include "core/files/cqp_doc.h"
#include "core/files/file_copy_record.h"
#include "files_test_support.h"

using namespace files_test;

namespace {

class CopyRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.wav", "b.wav", "c.wav"}) WriteFile(folder / name, name);
        doc.FillFileList(folder.Path());
        ASSERT_EQ(doc.GetFileList()->size(), 3u);
    }
    const FileEntry* Entry(size_t i) { return (*doc.GetFileList())[i].get(); }

    TempFolder folder;
    CQPDoc doc;
};

}  // namespace

TEST_F(CopyRecordTest, ARecordLoadsBackIntoTheSameEntriesInOrder) {
    doc.SetCopyList({Entry(2), Entry(0)});
    const std::string record = doc.StoreCopyList();
    doc.SetCopyList({});

    EXPECT_TRUE(doc.IsOwnCopyRecord(record));
    ASSERT_TRUE(doc.LoadCopyList(record));
    ASSERT_EQ(doc.GetCopyList().size(), 2u);
    EXPECT_EQ(doc.GetCopyList()[0], Entry(2));
    EXPECT_EQ(doc.GetCopyList()[1], Entry(0));
}

TEST_F(CopyRecordTest, TheRecordStartsWithTheCountAndHoldsIndicesNotAddresses) {
    doc.SetCopyList({Entry(1)});
    const std::string record = doc.StoreCopyList();
    ASSERT_EQ(record.size(), 4u + 4u + 16u);
    EXPECT_EQ(record.substr(0, 8), std::string("\x01\0\0\0\x01\0\0\0", 8));

    doc.SetCopyList({});
    const std::string empty = doc.StoreCopyList();
    EXPECT_EQ(empty.substr(0, 4), std::string(4, '\0'));
    ASSERT_TRUE(doc.LoadCopyList(empty));
    EXPECT_TRUE(doc.GetCopyList().empty());
}

TEST_F(CopyRecordTest, ARecordFromAnotherInstanceIsRefused) {
    CQPDoc other;
    other.FillFileList(folder.Path());
    other.SetCopyList({(*other.GetFileList())[0].get()});
    const std::string foreign = other.StoreCopyList();

    doc.SetCopyList({Entry(1)});
    EXPECT_FALSE(doc.IsOwnCopyRecord(foreign));
    EXPECT_FALSE(doc.LoadCopyList(foreign));
    EXPECT_TRUE(doc.GetCopyList().empty());
}

TEST_F(CopyRecordTest, ARecordOfEntriesThatAreGoneIsRefused) {
    doc.SetCopyList({Entry(0)});
    const std::string record = doc.StoreCopyList();
    doc.FillFileList(folder.Path());  // the entries it named are gone
    EXPECT_FALSE(doc.IsOwnCopyRecord(record));
    EXPECT_FALSE(doc.LoadCopyList(record));
    EXPECT_TRUE(doc.GetCopyList().empty());
}

TEST_F(CopyRecordTest, DamagedOrForgedRecordsAreRefusedWithoutReadingThroughThem) {
    doc.SetCopyList({Entry(0), Entry(1)});
    const std::string good = doc.StoreCopyList();
    FileCopyRecord record;
    ASSERT_TRUE(FileCopyRecord::Decode(good, record));

    FileCopyRecord outOfRange = record;
    outOfRange.indices.push_back(3);
    EXPECT_FALSE(doc.LoadCopyList(outOfRange.Encode()));

    EXPECT_FALSE(doc.LoadCopyList(good.substr(0, good.size() - 1)));  // cut short
    EXPECT_FALSE(doc.LoadCopyList(std::string("\x01\0\0", 3)));
    EXPECT_FALSE(doc.LoadCopyList({}));

    std::string hugeCount = good;
    hugeCount[3] = '\x7f';  // claims two billion entries
    EXPECT_FALSE(doc.LoadCopyList(hugeCount));

    // The old layout: a count and raw addresses, nothing else.
    std::string addresses("\x01\0\0\0", 4);
    addresses += std::string("\x10\x20\x30\x40", 4);
    EXPECT_FALSE(doc.LoadCopyList(addresses));

    EXPECT_TRUE(doc.GetCopyList().empty());
    ASSERT_TRUE(doc.LoadCopyList(good + "trailing bytes mean nothing"));
    EXPECT_EQ(doc.GetCopyList().size(), 2u);
}

TEST_F(CopyRecordTest, EntriesOutsideTheCurrentListAreNotWritten) {
    FileEntry stranger;
    doc.SetCopyList({&stranger, Entry(1)});
    ASSERT_TRUE(doc.LoadCopyList(doc.StoreCopyList()));
    ASSERT_EQ(doc.GetCopyList().size(), 1u);
    EXPECT_EQ(doc.GetCopyList()[0], Entry(1));
}
