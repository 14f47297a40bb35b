#include "core/sync/recording_identity.h"

#include <cstdio>

#include "core/base/calendar_time.h"
#include "core/link/recorder_clock.h"
#include "core/link/recorder_link.h"

namespace {

// The line: 38400 baud, ten bits a byte.
constexpr double kLineBytesPerSecond = RecorderLink::kBaudRate / 10.0;

}  // namespace

RecordingIdentity IdentityOf(const MessageHeader& header) {
    return {header.QualityBits(), header.Length(), header.TimeValue(), header.DateValue()};
}

std::vector<LoadedRecording> LoadedRecordings(const MessageDirectory& directory) {
    std::vector<LoadedRecording> loaded;
    for (int folder = 0; folder < kFolderCount; ++folder) {
        for (int message = 1; message <= directory.Count(folder); ++message) {
            const MessageEntry& entry = directory.Entry(folder, message);
            if (!entry.loaded) continue;
            LoadedRecording recording{folder, message, IdentityOf(entry.header), 1};
            for (const LoadedRecording& earlier : loaded) {
                if (earlier.identity == recording.identity) ++recording.occurrence;
            }
            loaded.push_back(recording);
        }
    }
    return loaded;
}

std::time_t RecordingTime::When() const {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;  // whichever is in force on that day
    return std::mktime(&tm);
}

std::string RecordingTime::Iso() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}

RecordingTime RecordingTimeOf(const RecordingIdentity& identity) {
    const std::time_t midnight = DateFromValue(identity.date);
    std::tm day{};
    LocalCalendarTime(midnight, &day);
    RecordingTime when;
    when.year = day.tm_year + 1900;
    when.month = day.tm_mon + 1;
    when.day = day.tm_mday;
    // A time value past the day's last step is kept within the day.
    const int steps = identity.time % (24 * 1800);
    when.hour = steps / 1800;
    when.minute = steps / 30 % 60;
    when.second = steps % 30 * 2;
    return when;
}

std::uint64_t LineBytes(const RecordingIdentity& identity) {
    return static_cast<std::uint64_t>(identity.length) * kDirectoryBlockSize;
}

double LineSeconds(std::uint64_t bytes) {
    return static_cast<double>(bytes) / kLineBytesPerSecond;
}
