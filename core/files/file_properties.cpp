#include "core/files/file_properties.h"

#include <ctime>
#include <limits>

#include "core/base/calendar_time.h"
#include "core/res/strings.h"

namespace {

bool LocalTime(std::int64_t seconds, std::tm& parts) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    if (static_cast<std::int64_t>(time) != seconds) return false;
    return LocalCalendarTime(time, &parts);
}

std::string DateText(std::int64_t seconds, char separator) {
    std::tm t{};
    if (!LocalTime(seconds, t)) return {};
    return std::to_string(t.tm_year + 1900LL) + separator + std::to_string(t.tm_mon + 1) +
           separator + std::to_string(t.tm_mday);
}

std::string KnownOr(const std::string& shown, std::int64_t seconds) {
    return seconds == 0 ? std::string(text::kPropUnknown) : shown;
}

}  // namespace

std::string FormatDateTime(std::int64_t seconds) {
    std::tm t{};
    if (!LocalTime(seconds, t)) return {};
    return DateText(seconds, '-') + " " + std::to_string(t.tm_hour) + ":" +
           std::to_string(t.tm_min) + ":" + std::to_string(t.tm_sec);
}

std::string FormatDate(std::int64_t seconds) {
    return DateText(seconds, '-');
}

std::string FormatListDate(std::int64_t seconds) {
    return DateText(seconds, '/');
}

FilePropertiesText DescribeFiles(const std::vector<FileEntry>& files) {
    FilePropertiesText out;
    if (files.empty()) return out;
    const FileEntry& first = files.front();
    out.location = first.path.size() >= first.name.size()
                       ? first.path.substr(0, first.path.size() - first.name.size())
                       : std::string();
    if (files.size() == 1) {
        out.name = first.name;
        out.kind = first.kind;
        out.size = std::to_string(first.size) + " Byte";
        out.dosName = first.name;
        out.created = KnownOr(FormatDateTime(first.created), first.created);
        out.modified = KnownOr(FormatDateTime(first.modified), first.modified);
        out.accessed = KnownOr(FormatDate(first.accessed), first.accessed);
        out.readOnly = first.readOnly;
        out.hidden = first.hidden;
        out.archive = first.archive;
        out.system = first.system;
        return out;
    }
    std::uint64_t total = 0;
    for (const FileEntry& file : files) {
        const std::uint64_t room = std::numeric_limits<std::uint64_t>::max() - total;
        total = file.size > room ? std::numeric_limits<std::uint64_t>::max() : total + file.size;
        out.readOnly = file.readOnly ? 1 : 0;
        out.hidden = file.hidden ? 1 : 0;
        out.archive = file.archive ? 1 : 0;
        out.system = file.system ? 1 : 0;
    }
    out.name = "File " + std::to_string(files.size());
    out.kind = text::kPropPluralKind;
    out.size = std::to_string(total) + " bytes";
    return out;
}
