#include "platform/system_time.h"

namespace kestrava {
namespace {

// Days since 1970-01-01 for a civil date, and back (Howard Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

SystemTime SystemTimeFromUnixMillis(std::int64_t unix_millis) {
  const std::int64_t days = FloorDiv(unix_millis, 86'400'000);
  const std::int64_t ms_of_day = unix_millis - days * 86'400'000;
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, year, month, day);
  SystemTime t;
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday.
  t.wDayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);
  t.wHour = static_cast<std::uint16_t>(ms_of_day / 3'600'000);
  t.wMinute = static_cast<std::uint16_t>(ms_of_day / 60'000 % 60);
  t.wSecond = static_cast<std::uint16_t>(ms_of_day / 1000 % 60);
  t.wMilliseconds = static_cast<std::uint16_t>(ms_of_day % 1000);
  return t;
}

std::int64_t UnixMillisFromSystemTime(const SystemTime& time) {
  const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay);
  return days * 86'400'000 + time.wHour * 3'600'000LL + time.wMinute * 60'000LL +
         time.wSecond * 1000LL + time.wMilliseconds;
}

}  // namespace kestrava
