// The module's exported entry and exit, as the stand-in host calls them, and the stand-in host's
// way to hand the module its services before the entry.
#include "platform/env.h"
#include "plugin/module_lifetime.h"

#if defined(_WIN32)
#define KESTRAVA_EXPORT  // exported by name through Kestrava.def
#else
#define KESTRAVA_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Not called by the real host: the stand-in host calls it before EuroScopePlugInInit to run the
// plug-in on services of its own (simulated time). `env` must outlive the plug-in object; the
// exit forgets it.
KESTRAVA_EXPORT void KestravaUseEnv(kestrava::Env* env) { kestrava::UseEnvForNextLoad(env); }

KESTRAVA_EXPORT void EuroScopePlugInInit(EuroScopePlugIn::CPlugIn** ppPlugInInstance) {
  kestrava::QEXPlugin* plugin = kestrava::CreateThePlugIn();
  if (ppPlugInInstance != nullptr) *ppPlugInInstance = plugin;
}

KESTRAVA_EXPORT void EuroScopePlugInExit() { kestrava::DeleteThePlugIn(); }

}  // extern "C"
