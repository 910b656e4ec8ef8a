#include "plugin/module_lifetime.h"

#include <new>

#include "platform/thread_runtime.h"
#include "plugin/callback_guard.h"

namespace kestrava {
namespace {

Env* g_env = nullptr;  // services handed in before the entry; null: the build's own

}  // namespace

QEXPlugin* CreateThePlugIn() noexcept {
  QEXPlugin* plugin = nullptr;
  NoThrow([&] {
    Env& env = g_env != nullptr ? *g_env : Env::Default();
    plugin = new (std::nothrow) QEXPlugin(env);
  });
  thePlugIn = plugin;
  return plugin;
}

void DeleteThePlugIn() noexcept {
  NoThrow([] { delete thePlugIn; });
  thePlugIn = nullptr;
  g_env = nullptr;
  // The host unloads the module next, and its thread goes on.
  ReleaseThreadRuntime();
}

void UseEnvForNextLoad(Env* env) noexcept { g_env = env; }

}  // namespace kestrava
