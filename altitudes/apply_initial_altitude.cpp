// Setting an aircraft's cleared altitude from the initial altitude table.
#include <string>
#include <string_view>

#include "plugin/QEXPlugin.h"
#include "plugin/text_rules.h"
#include "squawk/squawk_request.h"

namespace kestrava {

void QEXPlugin::ApplyInitialAltitude(EuroScopePlugIn::CAircraft aircraft, bool force) {
  EuroScopePlugIn::CController me = ControllerMyself();
  if (std::string_view(me.GetCallsign()).find("OBS") != std::string_view::npos) return;
  if (!m_InitAltsEnabled) return;
  if (me.GetFacility() == 0) return;
  if (!force && aircraft.GetPosition().GetReportedGS() >= kGroundSpeedThresholdKnots) return;

  EuroScopePlugIn::CAircraftFlightPlan plan = aircraft.GetFlightPlan();
  const std::string origin = AsciiUpper(plan.GetOrigin());
  const std::string sid = AsciiUpper(plan.GetSidName());
  if (sid.empty()) return;  // no SID, no initial altitude, whatever rows the table holds

  for (const CAltEntry& row : m_InitialAltitudes) {
    if (row.m_Enabled && row.m_Icao == origin && row.m_Sid == sid) {
      aircraft.GetControllerAssignedData().SetClearedAltitude(row.m_Altitude);
      return;
    }
  }
}

}  // namespace kestrava
