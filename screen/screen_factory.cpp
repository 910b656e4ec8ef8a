// A screen object for every radar display the host opens.
#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "screen/QEXScreen.h"

namespace kestrava {

EuroScopePlugIn::CRadarScreen* QEXPlugin::OnRadarScreenCreated(const char* displayName, bool, bool,
                                                               bool, bool) {
  return NoThrowOr<EuroScopePlugIn::CRadarScreen*>(
      nullptr, [&] { return new QEXScreen(*this, displayName != nullptr ? displayName : ""); });
}

}  // namespace kestrava
