// Initial-altitude operations whose logic is not present yet do nothing.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::ApplyInitialAltitude(EuroScopePlugIn::CAircraft, bool) {}
void QEXPlugin::LoadInitialAltitudes() {}
void QEXPlugin::SaveInitialAltitudes() {}

}  // namespace kestrava
