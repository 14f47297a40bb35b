// The recorder's clock codings and how messages and folders are labelled.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <string>

#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"

namespace {

// Runs a test in a given time zone and puts the old one back.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old, m_had = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard() {
        if (m_had) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

// Zones given as rules, so no time-zone database is needed: none, northern and southern
// daylight saving.
const char* const kZones[] = {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3",
                              "EST5EDT,M3.2.0,M11.1.0"};

std::tm Local(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

MessageHeader Header(int qualityBits, int length, int timeValue, int dateValue) {
    MessageHeader h;
    h.bytes[1] = static_cast<std::uint8_t>(qualityBits << 5 | 0x01);
    h.bytes[4] = static_cast<std::uint8_t>(length & 0xFF);
    h.bytes[5] = static_cast<std::uint8_t>(length >> 8);
    h.bytes[6] = static_cast<std::uint8_t>(timeValue & 0xFF);
    h.bytes[7] = static_cast<std::uint8_t>(timeValue >> 8);
    h.bytes[8] = static_cast<std::uint8_t>(dateValue & 0xFF);
    h.bytes[9] = static_cast<std::uint8_t>(dateValue >> 8);
    return h;
}

TEST(ClockCoding, TimeValueIsTwoSecondStepsSinceMidnight) {
    EXPECT_EQ(TimeValue(0, 0), 0);
    EXPECT_EQ(TimeValue(13, 45), 24750);  // AA C1 AE 60 on the wire
    EXPECT_EQ(TimeValue(14, 5), 25350);
    EXPECT_EQ(TimeValue(23, 59), 43170);
}

TEST(ClockCoding, DateValueCountsDaysFrom2001) {
    for (const char* zone : kZones) {
        ZoneGuard tz(zone);
        SCOPED_TRACE(zone);
        EXPECT_EQ(DateValue(2001, 1, 1), 0);
        EXPECT_EQ(DateValue(2001, 1, 2), 1);
        EXPECT_EQ(DateValue(2002, 1, 1), 365);  // AA C2 6D 01 on the wire
        EXPECT_EQ(DateValue(2004, 3, 1), 365 * 3 + 31 + 29);
        EXPECT_EQ(DateValue(2000, 12, 31), 0);  // before the recorder's calendar
        EXPECT_EQ(DateValue(1970, 1, 1), 0);
        EXPECT_EQ(DateValue(2001, 1, 32), 31);  // rolls over like mktime
        EXPECT_EQ(DateValue(2001, 13, 1), 365);
    }
}

TEST(ClockCoding, SummerDatesAreNotADayShort) {
    // Regression: the date was taken as (local midnight - base) / 86400 truncated, which in a
    // zone with daylight saving gave the day before for every summer date.
    ZoneGuard tz("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(DateValue(2001, 7, 1), 181);
    EXPECT_EQ(DateValue(2026, 7, 1), DateValue(2026, 1, 1) + 181);
}

TEST(ClockCoding, DateFromValueReadsBackTheSameDayInEveryZone) {
    // Regression: base + days * 86400 read in local time lands on the previous evening in
    // zones whose 1 January falls in daylight saving time.
    for (const char* zone : kZones) {
        ZoneGuard tz(zone);
        SCOPED_TRACE(zone);
        for (int year = 2001; year <= 2040; ++year) {
            for (int month = 1; month <= 12; ++month) {
                for (int day : {1, 15, 28}) {
                    const int value = DateValue(year, month, day);
                    const std::tm tm = Local(DateFromValue(value));
                    ASSERT_EQ(tm.tm_year + 1900, year) << month << "-" << day;
                    ASSERT_EQ(tm.tm_mon + 1, month) << year << "-" << day;
                    ASSERT_EQ(tm.tm_mday, day) << year << "-" << month;
                    ASSERT_EQ(tm.tm_hour, 0);
                }
            }
        }
    }
}

TEST(ClockCoding, DateFromValueUsesTheLowSixteenBits) {
    ZoneGuard tz("UTC0");
    EXPECT_EQ(DateFromValue(0), RecorderBaseDate());
    EXPECT_EQ(DateFromValue(65536), RecorderBaseDate());
    EXPECT_EQ(DateFromValue(65537), RecorderBaseDate() + 86400);
    const std::tm last = Local(DateFromValue(65535));
    EXPECT_EQ(last.tm_year + 1900, 2180);
}

TEST(MessageLabels, ShowNumberDateTimeQualityAndDuration) {
    ZoneGuard tz("UTC0");
    const int christmas = DateValue(2026, 12, 25);
    const MessageHeader sp = Header(3, 153, 25350, christmas);
    EXPECT_EQ(MessageLabel(3, sp, 2, DateFromValue(christmas)), "03: 12-25 14:05 (SP-1:07)");
    EXPECT_EQ(MessageLabel(100, sp, 1, DateFromValue(christmas)), "100: 12-25 14:05 (SP-1:14)");
    EXPECT_EQ(MessageDateText(Header(3, 1, 25350, 0), DateFromValue(0)), "2001-01-01 14:05");
}

TEST(MessageLabels, DurationFollowsQualityAndRecorderVariant) {
    struct Case {
        int bits, mode, length, seconds;
        const char* quality;
    } cases[] = {
        {2, 1, 1000, 652, "MP"},    {2, 2, 1000, 587, "MP"},  {3, 1, 1000, 489, "SP"},
        {3, 2, 1000, 440, "SP"},    {1, 1, 1000, 1067, "LP"}, {0, 2, 1000, 960, "LP"},
        {3, 7, 1000, 440, "SP"},  // any variant but 1 counts as the second
        {1, 2, 65535, 62913, "LP"},
    };
    for (const auto& c : cases) {
        const MessageHeader h = Header(c.bits, c.length, 0, 0);
        EXPECT_EQ(DurationSeconds(h, c.mode), c.seconds) << c.quality << " mode " << c.mode;
        EXPECT_STREQ(QualityName(h), c.quality);
    }
}

TEST(MessageLabels, FolderLabelsAndParsingBack) {
    EXPECT_EQ(FolderLabel(1, 14), "2 File (14)");
    EXPECT_EQ(FolderBaseName(4), "5 File");
    EXPECT_EQ(FolderFromLabel("3 File (2)"), 2);
    EXPECT_EQ(FolderFromLabel("1 File"), 0);
    EXPECT_EQ(FolderFromLabel("6 File"), std::nullopt);
    EXPECT_EQ(MessageNumberFromLabel("100: 01-01 00:00 (SP-0:00)"), 100);
    EXPECT_EQ(MessageNumberFromLabel("07: 01-01 00:00 (SP-0:00)"), 7);
    EXPECT_EQ(MessageNumberFromLabel("2 File (3)"), std::nullopt);
    EXPECT_EQ(MessageNumberFromLabel("00: x"), std::nullopt);
}

}  // namespace
