// The tag functions.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::OnFunctionCall(int, const char*, EuroScopePlugIn::ScreenPoint,
                               EuroScopePlugIn::ScreenRect) {}

}  // namespace kestrava
