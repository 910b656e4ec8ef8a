#include "tags/time_format.h"

#include "plugin/text_rules.h"

namespace kestrava {
namespace {

// Appends `value` in decimal with at least two digits ("%02u").
void AppendTwoDigits(std::string& out, unsigned value) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10u);
    value /= 10u;
  } while (value != 0u);
  if (count < 2) digits[count++] = '0';
  while (count > 0) out.push_back(digits[--count]);
}

}  // namespace

std::string FormatActualTime(const SystemTime& time, std::int32_t adt_type) {
  std::string text;
  switch (adt_type) {
    case 1:  // MM:SS
      AppendTwoDigits(text, time.wMinute);
      text.push_back(':');
      AppendTwoDigits(text, time.wSecond);
      break;
    case 2:  // HH:MM:SS
      AppendTwoDigits(text, time.wHour);
      text.push_back(':');
      AppendTwoDigits(text, time.wMinute);
      text.push_back(':');
      AppendTwoDigits(text, time.wSecond);
      break;
    case 3:  // HH:MM
      AppendTwoDigits(text, time.wHour);
      text.push_back(':');
      AppendTwoDigits(text, time.wMinute);
      break;
    case 4:  // MMSS
      AppendTwoDigits(text, time.wMinute);
      AppendTwoDigits(text, time.wSecond);
      break;
    case 5:  // HHMMSS
      AppendTwoDigits(text, time.wHour);
      AppendTwoDigits(text, time.wMinute);
      AppendTwoDigits(text, time.wSecond);
      break;
    case 6:  // HHMM
      AppendTwoDigits(text, time.wHour);
      AppendTwoDigits(text, time.wMinute);
      break;
    case 7:  // MM
      AppendTwoDigits(text, time.wMinute);
      break;
    default: break;
  }
  return text;
}

std::string FormatEstimatedDepartureTime(int hours, int minutes, bool separator) {
  std::string text;
  AppendTwoDigits(text, static_cast<unsigned>(hours));
  if (separator) text.push_back(':');
  AppendTwoDigits(text, static_cast<unsigned>(minutes));
  return text;
}

std::string ReformatTypedTime(std::string_view typed, bool separator) {
  if (typed.size() == 4 && LeadingInteger(typed) > 0 && separator) {
    std::string text(typed.substr(0, 2));
    text.push_back(':');
    text.append(typed.substr(2, 2));
    return text;
  }
  return std::string(typed);
}

std::optional<DepartureTime> ReadFlightPlanDepartureTime(std::string_view text) {
  if (LeadingInteger(text) == 0) return std::nullopt;
  DepartureTime time;
  if (text.size() == 4) {
    time.hours = LeadingInteger(text.substr(0, 2));
    time.minutes = LeadingInteger(text.substr(2, 2));
  } else if (text.size() == 3) {
    time.hours = LeadingInteger(text.substr(0, 1));
    time.minutes = LeadingInteger(text.substr(1, 2));
  } else {
    time.minutes = LeadingInteger(text);
  }
  const auto shown = [](int part) { return part >= 0 && part <= 99; };
  if (!shown(time.hours) || !shown(time.minutes)) return std::nullopt;
  return time;
}

EuroScopePlugIn::ColorRef EstimatedDepartureColour(const DepartureTime& departure,
                                                   const SystemTime& now,
                                                   EuroScopePlugIn::ColorRef early,
                                                   EuroScopePlugIn::ColorRef late) {
  const int now_minute = now.wHour * 60 + now.wMinute;
  return departure.MinuteOfDay() < now_minute ? late : early;
}

}  // namespace kestrava
