#include "core/base/calendar_time.h"

bool LocalCalendarTime(std::time_t when, std::tm* parts) {
    return ::localtime_r(&when, parts) != nullptr;
}

bool UtcCalendarTime(std::time_t when, std::tm* parts) {
    return ::gmtime_r(&when, parts) != nullptr;
}
