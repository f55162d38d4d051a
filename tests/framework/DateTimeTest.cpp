#include <gtest/gtest.h>

#include "framework/base/DateTime.h"

namespace {

SYSTEMTIME Make(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  t.wMilliseconds = ms;
  return t;
}

void ExpectSame(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  EXPECT_EQ(a.wYear, b.wYear);
  EXPECT_EQ(a.wMonth, b.wMonth);
  EXPECT_EQ(a.wDay, b.wDay);
  EXPECT_EQ(a.wHour, b.wHour);
  EXPECT_EQ(a.wMinute, b.wMinute);
  EXPECT_EQ(a.wSecond, b.wSecond);
  EXPECT_EQ(a.wMilliseconds, b.wMilliseconds);
}

TEST(DateTime, SerialDaysAroundTheOrigin) {
  EXPECT_EQ(fw::SystemTimeToDateTime(Make(1899, 12, 30)), 0.0);
  EXPECT_EQ(fw::SystemTimeToDateTime(Make(1900, 1, 1, 18)), 2.75);
  EXPECT_EQ(fw::SystemTimeToDateTime(Make(2024, 3, 15, 12)), 45366.5);
  // Before the origin the day counts back while the time still counts forward.
  EXPECT_EQ(fw::SystemTimeToDateTime(Make(1899, 12, 29, 6)), -1.25);
  ExpectSame(fw::DateTimeToSystemTime(-1.25), Make(1899, 12, 29, 6));
  ExpectSame(fw::DateTimeToSystemTime(45366.5), Make(2024, 3, 15, 12));
  EXPECT_EQ(fw::DateTimeToSystemTime(0).wDayOfWeek, 6);      // Saturday
  EXPECT_EQ(fw::DateTimeToSystemTime(45366).wDayOfWeek, 5);  // Friday
  // A time a hair before midnight rounds to the next day, not to 24:00.
  ExpectSame(fw::DateTimeToSystemTime(45366.99999999999), Make(2024, 3, 16));
}

TEST(DateTime, CalendarTimesRoundTrip) {
  for (WORD y : {1601, 1752, 1899, 1900, 1970, 2000, 2024, 2100, 9999}) {
    for (WORD mo : {1, 2, 12}) {
      WORD d = mo == 2 ? 28 : 31;
      SYSTEMTIME t = Make(y, mo, d, 23, 59, 58, 999);
      ExpectSame(fw::DateTimeToSystemTime(fw::SystemTimeToDateTime(t)), t);
    }
  }
  SYSTEMTIME leap = Make(2000, 2, 29, 1, 2, 3, 4);
  ExpectSame(fw::DateTimeToSystemTime(fw::SystemTimeToDateTime(leap)), leap);
}

}  // namespace
