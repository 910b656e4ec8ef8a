#include "aircraft/statistics_log.h"

#include "plugin/log_settings.h"

namespace kestrava {
namespace {

// Appends `value` in decimal with at least `width` digits.
void AppendPadded(std::string& out, unsigned value, int width) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10u);
    value /= 10u;
  } while (value != 0u);
  while (count < width) digits[count++] = '0';
  while (count > 0) out.push_back(digits[--count]);
}

void AppendField(std::string& line, const char* text) {
  line += CsvField(text != nullptr ? std::string_view(text) : std::string_view());
  line += ',';
}

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string LogTimeText(const SystemTime& time) {
  std::string text;
  AppendPadded(text, time.wDay, 2);
  text += '/';
  AppendPadded(text, time.wMonth, 2);
  text += '/';
  AppendPadded(text, time.wYear, 4);
  text += ' ';
  AppendPadded(text, time.wHour, 2);
  text += ':';
  AppendPadded(text, time.wMinute, 2);
  text += ':';
  AppendPadded(text, time.wSecond, 2);
  return text;
}

std::string ComposeStatisticsLine(EuroScopePlugIn::CAircraft aircraft, bool departure,
                                  const SystemTime& time) {
  const EuroScopePlugIn::CAircraftFlightPlan plan = aircraft.GetFlightPlan();
  std::string line;
  AppendField(line, aircraft.GetCallsign());
  AppendField(line, aircraft.GetPilotName());
  AppendField(line, plan.GetAircraftFPType());
  AppendField(line, plan.GetOrigin());
  AppendField(line, plan.GetDepartureRwy());
  AppendField(line, plan.GetSidName());
  AppendField(line, plan.GetDestination());
  AppendField(line, plan.GetArrivalRwy());
  AppendField(line, plan.GetStarName());
  line += departure ? "D," : "A,";
  line += LogTimeText(time);
  return line;
}

void WriteStatisticsLog(Env& env, StatisticsLogHealth& health, EuroScopePlugIn::CAircraft aircraft,
                        bool departure, const CAircraftData& record) {
  if (!LogEnabled || !aircraft.IsValid()) return;
  if (departure ? !record.m_TakenOff : !record.m_Landed) return;
  const SystemTime& time = departure ? record.m_TakeOffTime : record.m_LandingTime;
  const AppendResult result =
      env.AppendLine(LogFilePath, ComposeStatisticsLine(aircraft, departure, time));
  if (result) {
    health.LineWritten();
  } else {
    health.LineLost(LogFilePath, result.reason);
  }
}

}  // namespace kestrava
