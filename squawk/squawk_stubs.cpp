// Squawk operations whose logic is not present yet do nothing.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::RequestSquawk(EuroScopePlugIn::CAircraft) {}
void QEXPlugin::LoadSquawkAirports() {}
void QEXPlugin::SaveSquawkAirports() {}

}  // namespace kestrava
