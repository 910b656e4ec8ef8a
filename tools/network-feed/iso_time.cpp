#include "tools/network-feed/iso_time.h"

namespace kestrava::network_feed {
namespace {

// Reads exactly `count` digits at `at`, moving past them.
std::optional<int> Digits(std::string_view text, std::size_t& at, std::size_t count) {
  if (text.size() - at < count) return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[at + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  at += count;
  return value;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t year_of_era = y - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

}  // namespace

std::optional<std::int64_t> ParseIsoTime(std::string_view text) {
  std::size_t at = 0;
  const auto year = Digits(text, at, 4);
  if (!year || !Expect(text, at, '-')) return std::nullopt;
  const auto month = Digits(text, at, 2);
  if (!month || !Expect(text, at, '-')) return std::nullopt;
  const auto day = Digits(text, at, 2);
  if (!day || !(Expect(text, at, 'T') || Expect(text, at, ' '))) return std::nullopt;
  const auto hour = Digits(text, at, 2);
  if (!hour || !Expect(text, at, ':')) return std::nullopt;
  const auto minute = Digits(text, at, 2);
  if (!minute || !Expect(text, at, ':')) return std::nullopt;
  const auto second = Digits(text, at, 2);
  if (!second) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) || *hour > 23 ||
      *minute > 59 || *second > 59) {
    return std::nullopt;
  }
  if (Expect(text, at, '.')) {
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == start) return std::nullopt;
  }
  std::int64_t offset = 0;  // seconds east of UTC
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    const int sign = text[at] == '-' ? -1 : 1;
    ++at;
    const auto offset_hours = Digits(text, at, 2);
    if (!offset_hours || !Expect(text, at, ':')) return std::nullopt;
    const auto offset_minutes = Digits(text, at, 2);
    if (!offset_minutes || *offset_hours > 23 || *offset_minutes > 59) return std::nullopt;
    offset = sign * (*offset_hours * 3600 + *offset_minutes * 60);
  } else {
    Expect(text, at, 'Z');
  }
  if (at != text.size()) return std::nullopt;
  return DaysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second -
         offset;
}

}  // namespace kestrava::network_feed
