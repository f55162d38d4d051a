#pragma once
// Date-times as the program stores and shows them: a double counting days
// since 1899-12-30 00:00, the fraction being the time of day. Before that day
// the whole part counts backwards while the fraction still runs forwards
// (-1.25 is 1899-12-29 06:00), as the stored values expect.
#include <windows.h>

namespace fw {

using TDateTime = double;

// Date-time of a calendar time (the day of week is ignored; milliseconds kept).
TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) noexcept;
// Calendar time of a date-time, with the day of week filled in; the time of
// day is rounded to the nearest millisecond.
SYSTEMTIME DateTimeToSystemTime(TDateTime value) noexcept;

}  // namespace fw
