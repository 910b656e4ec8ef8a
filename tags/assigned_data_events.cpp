// Assigned-data and flight-plan events: the off-block time on push-back, and the moments to ask
// for a squawk code and to apply the initial altitude.
#include <string>
#include <string_view>

#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"

namespace kestrava {

void QEXPlugin::OnAircraftFlightPlanUpdate(EuroScopePlugIn::CAircraft aircraft) {
  NoThrow([&] {
    RequestSquawk(aircraft);
    ApplyInitialAltitude(aircraft, /*force=*/false);
  });
}

void QEXPlugin::OnAircraftControllerAssignedDataUpdate(EuroScopePlugIn::CAircraft aircraft,
                                                       int dataType) {
  NoThrow([&] {
    switch (dataType) {
      case EuroScopePlugIn::CTR_DATA_TYPE_SQUAWK: RequestSquawk(aircraft); break;
      case EuroScopePlugIn::CTR_DATA_TYPE_GROUND_STATE: {
        if (std::string_view(aircraft.GetGroundState()) != "PUSH") break;
        const SystemTime now = env().NowUtc();
        const std::string callsign = aircraft.GetCallsign();
        int index = registry().FindAircraft(callsign);
        if (index < 0) index = registry().AddAircraft(CAircraftData(callsign));
        CAircraftData& record = registry().GetAircraft(index);
        record.m_OffBlockTime = now;
        record.m_OffBlock = true;
        break;
      }
      default: break;
    }
  });
}

}  // namespace kestrava
