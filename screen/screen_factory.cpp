// A screen object for every radar display the host opens.
#include "plugin/QEXPlugin.h"

namespace kestrava {

EuroScopePlugIn::CRadarScreen* QEXPlugin::OnRadarScreenCreated(const char*, bool, bool, bool,
                                                               bool) {
  return nullptr;
}

}  // namespace kestrava
