// A UTC time stamp laid out like the Windows SYSTEMTIME: eight unsigned 16-bit fields.
#pragma once

#include <cstdint>

namespace kestrava {

struct SystemTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// Converts milliseconds since 1970-01-01 00:00 UTC (proleptic Gregorian calendar, years 1601 to
// 30827 as on Windows) to the broken-down UTC time.
SystemTime SystemTimeFromUnixMillis(std::int64_t unix_millis);

// The inverse, ignoring wDayOfWeek.
std::int64_t UnixMillisFromSystemTime(const SystemTime& time);

}  // namespace kestrava
