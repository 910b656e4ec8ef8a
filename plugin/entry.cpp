// The module's exported entry and exit, as the host calls them, and the stand-in host's way to
// hand the module its services before the entry.
#include <new>

#include "platform/env.h"
#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"

#if defined(_WIN32)
#define KESTRAVA_EXPORT  // exported by name through Kestrava.def
#else
#define KESTRAVA_EXPORT __attribute__((visibility("default")))
#endif

namespace {

kestrava::Env* g_env = nullptr;  // services handed in before the entry; null: the build's own

}  // namespace

extern "C" {

// Not called by the real host: the stand-in host calls it before EuroScopePlugInInit to run the
// plug-in on services of its own (simulated time). `env` must outlive the plug-in object; the
// exit forgets it.
KESTRAVA_EXPORT void KestravaUseEnv(kestrava::Env* env) { g_env = env; }

KESTRAVA_EXPORT void EuroScopePlugInInit(EuroScopePlugIn::CPlugIn** ppPlugInInstance) {
  kestrava::QEXPlugin* plugin = nullptr;
  kestrava::NoThrow([&] {
    kestrava::Env& env = g_env != nullptr ? *g_env : kestrava::Env::Default();
    plugin = new (std::nothrow) kestrava::QEXPlugin(env);
  });
  kestrava::thePlugIn = plugin;
  if (ppPlugInInstance != nullptr) *ppPlugInInstance = plugin;
}

KESTRAVA_EXPORT void EuroScopePlugInExit() {
  kestrava::NoThrow([] { delete kestrava::thePlugIn; });
  kestrava::thePlugIn = nullptr;
  // Services handed in serve one load: the module may stay mapped and be loaded again by a host
  // that hands in none, after the old services are gone.
  g_env = nullptr;
}

}  // extern "C"
