#include "core/link/message_label.h"

#include <cstdio>

#include "core/base/calendar_time.h"
#include "core/res/strings.h"

namespace {

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    LocalCalendarTime(t, &tm);
    return tm;
}

}  // namespace

const char* QualityName(const MessageHeader& header) {
    switch (header.QualityBits()) {
        case 2:
            return text::kQualityMP;
        case 3:
            return text::kQualitySP;
        default:
            return text::kQualityLP;
    }
}

int DurationSeconds(const MessageHeader& header, int mode) {
    // Milliseconds of voice per length unit, by recorder variant and quality.
    int factor;
    switch (header.QualityBits()) {
        case 2:
            factor = mode == 1 ? 652 : 587;
            break;  // MP
        case 3:
            factor = mode == 1 ? 489 : 440;
            break;  // SP
        default:
            factor = mode == 1 ? 1067 : 960;
            break;  // LP
    }
    return static_cast<int>(static_cast<long>(header.Length()) * factor / 1000);
}

std::string FolderBaseName(int folder) {
    if (folder < 0 || folder >= kFolderCount) return {};
    return text::kFolderBaseNames[folder];
}

std::string FolderLabel(int folder, int count) {
    return FolderBaseName(folder) + " (" + std::to_string(count) + ")";
}

std::string MessageLabel(int message, const MessageHeader& header, int mode,
                         std::time_t recordingDate) {
    const std::tm date = LocalTime(recordingDate);
    const int minutes = header.TimeValue() / 30;
    const int seconds = DurationSeconds(header, mode);
    char label[96];
    std::snprintf(label, sizeof label, "%02d: %02d-%02d %02d:%02d (%s-%d:%02d)", message,
                  date.tm_mon + 1, date.tm_mday, minutes / 60, minutes % 60, QualityName(header),
                  seconds / 60, seconds % 60);
    return label;
}

std::optional<int> MessageNumberFromLabel(const std::string& label) {
    // All digits up to the ":", so message 100 is never read as 10.
    const auto colon = label.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 3) return std::nullopt;
    int number = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (label[i] < '0' || label[i] > '9') return std::nullopt;
        number = number * 10 + (label[i] - '0');
    }
    if (number < 1 || number > kMaxMessages) return std::nullopt;
    return number;
}

std::optional<int> FolderFromLabel(const std::string& label) {
    for (int f = 0; f < kFolderCount; ++f) {
        const std::string base = text::kFolderBaseNames[f];
        if (label.compare(0, base.size(), base) == 0 &&
            (label.size() == base.size() || label[base.size()] == ' ')) {
            return f;
        }
    }
    return std::nullopt;
}

std::string MessageDateText(const MessageHeader& header, std::time_t recordingDate) {
    const std::tm date = LocalTime(recordingDate);
    const int minutes = header.TimeValue() / 30;
    char textBuf[64];
    std::snprintf(textBuf, sizeof textBuf, "%04d-%02d-%02d %02d:%02d", date.tm_year + 1900,
                  date.tm_mon + 1, date.tm_mday, minutes / 60, minutes % 60);
    return textBuf;
}
