// The plug-in's typed commands.
#include "plugin/QEXPlugin.h"

namespace kestrava {

bool QEXPlugin::OnCompileCommand(const char*) { return false; }

}  // namespace kestrava
