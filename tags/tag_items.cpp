// The tag items the plug-in answers.
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::OnGetTagItem(EuroScopePlugIn::CAircraft, int, int, char*, int*,
                             EuroScopePlugIn::ColorRef*, double*) {}

}  // namespace kestrava
