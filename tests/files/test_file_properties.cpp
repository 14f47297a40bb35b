// What the properties dialog shows of one or several files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/files/file_properties.h"

namespace {

class FilePropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_savedTz = tz ? tz : "";
        m_hadTz = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_savedTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static FileEntry Entry(const std::string& name, std::uint64_t size) {
        FileEntry entry;
        entry.name = name;
        entry.path = "/music/voice/" + name;
        entry.kind = "wav File";
        entry.size = size;
        return entry;
    }

private:
    std::string m_savedTz;
    bool m_hadTz = false;
};

}  // namespace

TEST_F(FilePropertiesTest, OneFileShowsItsNameTwiceItsSizeAndDatesWithoutLeadingZeros) {
    FileEntry entry = Entry("memo.wav", 1024);
    entry.created = 994342140;   // 2001-07-05 14:09:00
    entry.modified = 983923200;  // 2001-03-07 00:00:00
    entry.accessed = 994342140;
    entry.readOnly = 1;
    entry.system = 1;
    const FilePropertiesText shown = DescribeFiles({entry});
    EXPECT_EQ(shown.name, "memo.wav");
    EXPECT_EQ(shown.dosName, "memo.wav");
    EXPECT_EQ(shown.kind, "wav File");
    EXPECT_EQ(shown.location, "/music/voice/");
    EXPECT_EQ(shown.size, "1024 Byte");
    EXPECT_EQ(shown.created, "2001-7-5 14:9:0");
    EXPECT_EQ(shown.modified, "2001-3-7 0:0:0");
    EXPECT_EQ(shown.accessed, "2001-7-5");
    EXPECT_EQ(shown.readOnly + shown.system, 2);
    EXPECT_EQ(shown.hidden + shown.archive, 0);
    EXPECT_EQ(FormatListDate(entry.modified), "2001/3/7");
}

TEST_F(FilePropertiesTest, MissingTimesShowUnknown) {
    FileEntry entry = Entry("memo.wav", 1);
    entry.modified = 983923200;
    const FilePropertiesText shown = DescribeFiles({entry});
    EXPECT_EQ(shown.created, "(Unknown)");
    EXPECT_EQ(shown.accessed, "(Unknown)");
    EXPECT_EQ(shown.modified, "2001-3-7 0:0:0");
}

TEST_F(FilePropertiesTest, SeveralFilesShowCountTotalAndTheLastFilesAttributes) {
    FileEntry a = Entry("a.wav", 10), b = Entry("b.wav", 20), c = Entry("c.wav", 30);
    a.readOnly = a.hidden = 1;
    c.archive = 1;
    c.modified = 983923200;
    const FilePropertiesText shown = DescribeFiles({a, b, c});
    EXPECT_EQ(shown.name, "File 3");
    EXPECT_EQ(shown.kind, "Plural Kind");
    EXPECT_EQ(shown.size, "60 bytes");
    EXPECT_EQ(shown.location, "/music/voice/");
    EXPECT_TRUE(shown.created.empty() && shown.modified.empty() && shown.accessed.empty());
    EXPECT_TRUE(shown.dosName.empty());
    EXPECT_EQ(shown.readOnly + shown.hidden + shown.system, 0);
    EXPECT_EQ(shown.archive, 1);
}

TEST_F(FilePropertiesTest, NoFilesLeaveEverythingEmpty) {
    const FilePropertiesText shown = DescribeFiles({});
    EXPECT_TRUE(shown.name.empty() && shown.kind.empty() && shown.size.empty() &&
                shown.location.empty() && shown.created.empty());
    EXPECT_EQ(shown.readOnly + shown.hidden + shown.archive + shown.system, 0);
}

TEST_F(FilePropertiesTest, LargeSizesTotalsAndDatesPast2038ShowCorrectly) {
    FileEntry big = Entry("big.wav", std::uint64_t(5) << 30);
    big.modified = 4102444800;  // 2100-01-01
    const FilePropertiesText one = DescribeFiles({big});
    EXPECT_EQ(one.size, "5368709120 Byte");
    EXPECT_EQ(one.modified, "2100-1-1 0:0:0");
    EXPECT_EQ(FormatListDate(big.modified), "2100/1/1");

    const FilePropertiesText two = DescribeFiles({big, big});
    EXPECT_EQ(two.size, "10737418240 bytes");
    const FileEntry huge = Entry("huge.wav", ~std::uint64_t(0) - 5);
    EXPECT_EQ(DescribeFiles({huge, big}).size, "18446744073709551615 bytes");  // never wraps
}
