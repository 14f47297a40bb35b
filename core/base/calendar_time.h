#pragma once
#include <ctime>

// A moment split into its calendar parts, safe on any thread (the download and sync threads
// name files by it). False where the system cannot split it (a time before 1970 on some).
bool LocalCalendarTime(std::time_t when, std::tm* parts);
bool UtcCalendarTime(std::time_t when, std::tm* parts);
