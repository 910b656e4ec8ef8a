// Position and disconnect events: the aircraft records' upkeep.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::OnAircraftPositionUpdate(EuroScopePlugIn::CAircraft) {}
void QEXPlugin::OnAircraftDisconnect(EuroScopePlugIn::CAircraft) {}

}  // namespace kestrava
