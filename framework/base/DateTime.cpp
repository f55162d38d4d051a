#include "framework/base/DateTime.h"

#include <cmath>
#include <cstdint>

namespace fw {

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Days from 1970-01-01 back to the date-time origin 1899-12-30.
constexpr std::int64_t kUnixToDateTimeDays = 25569;

// Proleptic Gregorian day count relative to 1970-01-01 (both directions).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) noexcept {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

}  // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& t) noexcept {
  const double date = static_cast<double>(DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kUnixToDateTimeDays);
  const double time =
      static_cast<double>(((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds) / kMSecsPerDay;
  return date >= 0 ? date + time : date - time;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) noexcept {
  double whole = std::trunc(value);
  std::int64_t days = static_cast<std::int64_t>(whole);
  std::int64_t ms = std::llround(std::fabs(value - whole) * kMSecsPerDay);
  if (ms >= kMSecsPerDay) {  // rounding reached midnight of the next calendar day
    ms -= kMSecsPerDay;
    days += 1;
  }
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days - kUnixToDateTimeDays, y, m, d);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(m);
  t.wDay = static_cast<WORD>(d);
  // 1899-12-30 (day 0) was a Saturday; Sunday is 0.
  t.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
  t.wHour = static_cast<WORD>(ms / 3600000);
  t.wMinute = static_cast<WORD>(ms / 60000 % 60);
  t.wSecond = static_cast<WORD>(ms / 1000 % 60);
  t.wMilliseconds = static_cast<WORD>(ms % 1000);
  return t;
}

}  // namespace fw
