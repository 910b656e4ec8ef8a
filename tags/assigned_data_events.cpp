// Assigned-data and flight-plan events.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::OnAircraftFlightPlanUpdate(EuroScopePlugIn::CAircraft) {}
void QEXPlugin::OnAircraftControllerAssignedDataUpdate(EuroScopePlugIn::CAircraft, int) {}

}  // namespace kestrava
