#pragma once
#include <ctime>

// The recorder's codings of its clock and calendar, as its set-time and set-date frames carry
// them and its message headers report them.

// Two-second steps since midnight: (hour * 60 + minute) * 30, 0 to 43170.
int TimeValue(int hour, int minute);
// Calendar days from 1 January 2001 to the given day, 0 for any day before it. Months and
// days outside their range roll over as the C library's mktime does.
int DateValue(int year, int month, int day);
// Local midnight of the day (value mod 65536) days after 1 January 2001, counted in calendar
// days so daylight saving never shifts the day read back.
std::time_t DateFromValue(int value);
// Local midnight of 1 January 2001, the origin of every recorder date.
std::time_t RecorderBaseDate();
