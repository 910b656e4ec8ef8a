// Position and disconnect events: the aircraft records' upkeep, with take-off and landing
// detection at 60 knots of reported ground speed.
//
// Per record, on m_LastGroundSpeed: no speed seen yet (kNoGroundSpeed) -> any report only stores
// the speed; a rise from 60 or below to above 60 is a take-off, a fall from above 60 to 60 or
// below a landing. Every crossing counts (no hysteresis); a later one overwrites the time of its
// kind. Each event is stamped first, then written to the statistics log.
#include "aircraft/statistics_log.h"
#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"

namespace kestrava {
namespace {

// Appends the report's position to the record's history and watches the speed crossing.
void PositionStep(Env& env, StatisticsLogHealth& log_health, CAircraftData& record,
                  EuroScopePlugIn::CAircraft aircraft) {
  const EuroScopePlugIn::CAircraftPositionData report = aircraft.GetPosition();
  record.m_Positions.push_back(report.GetPosition());
  const int gs = report.GetReportedGS();
  const int previous = record.m_LastGroundSpeed;
  record.m_LastGroundSpeed = gs;
  if (previous <= kNoGroundSpeed) return;
  if (previous <= kGroundSpeedThresholdKnots && gs > kGroundSpeedThresholdKnots) {
    record.m_TakeOffTime = env.NowUtc();
    record.m_TakenOff = true;
    WriteStatisticsLog(env, log_health, aircraft, true, record);
  } else if (previous > kGroundSpeedThresholdKnots && gs <= kGroundSpeedThresholdKnots) {
    record.m_LandingTime = env.NowUtc();
    record.m_Landed = true;
    WriteStatisticsLog(env, log_health, aircraft, false, record);
  }
}

}  // namespace

void QEXPlugin::OnAircraftPositionUpdate(EuroScopePlugIn::CAircraft aircraft) {
  NoThrow([&] {
    const char* callsign = aircraft.GetCallsign();
    const int index = registry_.FindAircraft(callsign);
    if (index != -1) {
      PositionStep(env_, log_health_, registry_.GetAircraft(index), aircraft);
      return;
    }
    CAircraftData record(callsign);
    PositionStep(env_, log_health_, record, aircraft);
    registry_.AddAircraft(std::move(record));
  });
}

void QEXPlugin::OnAircraftDisconnect(EuroScopePlugIn::CAircraft aircraft) {
  NoThrow([&] {
    const int index = registry_.FindAircraft(aircraft.GetCallsign());
    if (index != -1) registry_.RemoveAircraft(index);
  });
}

}  // namespace kestrava
