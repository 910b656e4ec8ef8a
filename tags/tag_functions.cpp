// The tag functions: recycling the squawk and the initial altitude, and editing or clearing the
// departure time the controller types. Every function acts on the aircraft selected in the host.
#include <string>

#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "squawk/squawk_request.h"
#include "tags/time_format.h"

namespace kestrava {
namespace {

// The record of `callsign`, created and appended when there is none.
CAircraftData& RecordOf(AircraftRegistry& registry, const std::string& callsign) {
  int index = registry.FindAircraft(callsign);
  if (index < 0) index = registry.AddAircraft(CAircraftData(callsign));
  return registry.GetAircraft(index);
}

}  // namespace

void QEXPlugin::OnFunctionCall(int functionCode, const char* itemString,
                               EuroScopePlugIn::ScreenPoint /*point*/,
                               EuroScopePlugIn::ScreenRect area) {
  NoThrow([&] {
    if (functionCode < kFunctionRecycleSquawk || functionCode > kFunctionResetDepTime) return;
    EuroScopePlugIn::CAircraft aircraft = AircraftSelectASEL();
    if (!aircraft.IsValid()) return;

    switch (functionCode) {
      case kFunctionRecycleSquawk:
        aircraft.GetControllerAssignedData().SetSquawk(kRecycleSquawkCode);
        break;
      case kFunctionResetInitialAltitude: ApplyInitialAltitude(aircraft, /*force=*/true); break;
      case kFunctionRecycleSquawkAndAltitude:
        aircraft.GetControllerAssignedData().SetSquawk(kRecycleSquawkCode);
        ApplyInitialAltitude(aircraft, /*force=*/true);
        break;
      case kFunctionEditDepTime: {
        m_EditCallsign = aircraft.GetCallsign();
        std::string initial = aircraft.GetFlightPlan().GetEstimatedDepartureTime();
        const int index = registry().FindAircraft(m_EditCallsign);
        if (index >= 0 && !registry().GetAircraft(index).m_EditedDepTime.empty()) {
          initial = registry().GetAircraft(index).m_EditedDepTime;
        }
        OpenPopupEdit(area, kFunctionDepTimeTyped, initial.c_str());
        break;
      }
      case kFunctionDepTimeTyped:
        // The editor's answer belongs to the aircraft of the last edit or reset, whichever
        // aircraft is selected now. Before any edit there is no aircraft to give it to.
        if (m_EditCallsign.empty()) break;
        RecordOf(registry(), m_EditCallsign).m_EditedDepTime =
            ReformatTypedTime(itemString == nullptr ? "" : itemString, m_TimeSeparator);
        break;
      case kFunctionResetDepTime:
        m_EditCallsign = aircraft.GetCallsign();
        RecordOf(registry(), m_EditCallsign).m_EditedDepTime.clear();
        break;
    }
  });
}

}  // namespace kestrava
