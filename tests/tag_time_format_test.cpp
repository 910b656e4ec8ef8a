// Time texts of the departure-time tag items: recorded-time formats, the estimated departure
// time, reading the flight plan's time, the typed-time reformatting and the early/late colour.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tags/time_format.h"

namespace kestrava {
namespace {

SystemTime At(int hour, int minute, int second) {
  SystemTime time;
  time.wYear = 2026;
  time.wMonth = 12;
  time.wDay = 7;
  time.wHour = static_cast<std::uint16_t>(hour);
  time.wMinute = static_cast<std::uint16_t>(minute);
  time.wSecond = static_cast<std::uint16_t>(second);
  return time;
}

TEST(TagTimeFormat, ActualTimeInEveryFormat) {
  struct Case {
    std::int32_t adt_type;
    SystemTime time;
    const char* text;
  };
  const Case cases[] = {
      {1, At(14, 5, 59), "05:59"},   {2, At(14, 5, 59), "14:05:59"}, {3, At(14, 5, 59), "14:05"},
      {4, At(14, 5, 59), "0559"},    {5, At(14, 5, 59), "140559"},   {6, At(14, 5, 59), "1405"},
      {7, At(14, 5, 59), "05"},      {3, At(0, 0, 7), "00:00"},      {5, At(0, 0, 7), "000007"},
      {2, At(9, 0, 0), "09:00:00"},  {1, At(23, 59, 0), "59:00"},    {0, At(14, 5, 59), ""},
      {8, At(14, 5, 59), ""},        {9, At(14, 5, 59), ""},         {-3, At(14, 5, 59), ""},
      {2147483647, At(1, 2, 3), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatActualTime(c.time, c.adt_type), c.text) << "format " << c.adt_type;
  }
}

TEST(TagTimeFormat, EstimatedDepartureTextWithAndWithoutSeparator) {
  EXPECT_EQ(FormatEstimatedDepartureTime(9, 5, true), "09:05");
  EXPECT_EQ(FormatEstimatedDepartureTime(9, 5, false), "0905");
  EXPECT_EQ(FormatEstimatedDepartureTime(0, 45, true), "00:45");
  EXPECT_EQ(FormatEstimatedDepartureTime(24, 75, true), "24:75");
  EXPECT_EQ(FormatEstimatedDepartureTime(99, 99, false), "9999");
}

TEST(TagTimeFormat, ReadsTheFlightPlanTimeByItsLength) {
  struct Case {
    const char* text;
    std::optional<DepartureTime> time;
  };
  const Case cases[] = {
      {"1230", DepartureTime{12, 30}},
      {"0005", DepartureTime{0, 5}},
      {"930", DepartureTime{9, 30}},
      {"45", DepartureTime{0, 45}},
      {"7", DepartureTime{0, 7}},
      {"2475", DepartureTime{24, 75}},
      {"12ab", DepartureTime{12, 0}},  // value 12; minutes "ab" read as 0
      {"1a30", DepartureTime{1, 30}},
      {"99", DepartureTime{0, 99}},
      {"000099", DepartureTime{0, 99}},
      {"", std::nullopt},
      {"0000", std::nullopt},
      {"000", std::nullopt},
      {"abcd", std::nullopt},
      {"a930", std::nullopt},
      {" 930", std::nullopt},  // a blank first: no digits
      // Parts the two-digit text cannot show.
      {"100", DepartureTime{1, 0}},
      {"-100", std::nullopt},
      {"-5", std::nullopt},
      {"12345", std::nullopt},
      {"123456789012", std::nullopt},
      {"-1230", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFlightPlanDepartureTime(c.text), c.time) << '"' << c.text << '"';
  }
}

TEST(TagTimeFormat, TypedTimeGetsAColonOnlyForFourCharactersOfPositiveValue) {
  struct Case {
    const char* typed;
    bool separator;
    const char* stored;
  };
  const Case cases[] = {
      {"1230", true, "12:30"},  {"0005", true, "00:05"}, {"0030", true, "00:30"},
      {"12ab", true, "12:ab"},  {"0000", true, "0000"},  {"930", true, "930"},
      {"12:30", true, "12:30"}, {"", true, ""},          {"1230", false, "1230"},
      {"abcd", true, "abcd"},   {"-123", true, "-123"},  {"12345", true, "12345"},
      {" 945", true, " 945"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReformatTypedTime(c.typed, c.separator), c.stored)
        << '"' << c.typed << "\" separator " << c.separator;
  }
}

TEST(TagTimeFormat, DepartureIsLateOnlyOnceItsMinuteHasPassed) {
  constexpr EuroScopePlugIn::ColorRef kEarly = 1, kLate = 2;
  struct Case {
    DepartureTime departure;
    SystemTime now;
    EuroScopePlugIn::ColorRef colour;
  };
  const Case cases[] = {
      {{12, 30}, At(12, 29, 59), kEarly}, {{12, 30}, At(12, 30, 0), kEarly},
      {{12, 30}, At(12, 30, 59), kEarly},                                    // seconds ignored
      {{12, 30}, At(12, 31, 0), kLate},   {{23, 50}, At(0, 10, 0), kEarly},  // no wrap at midnight
      {{0, 10}, At(23, 50, 0), kLate},    {{0, 0}, At(0, 0, 0), kEarly},
      {{24, 75}, At(23, 59, 59), kEarly}, {{0, 45}, At(0, 46, 0), kLate},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EstimatedDepartureColour(c.departure, c.now, kEarly, kLate), c.colour)
        << c.departure.hours << ':' << c.departure.minutes << " at " << c.now.wHour << ':'
        << c.now.wMinute;
  }
}

}  // namespace
}  // namespace kestrava
