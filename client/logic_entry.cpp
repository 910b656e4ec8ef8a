// The module's own exports beside the client's entry points, for the simulator and the tests; the
// real client never calls them.
#include "client/callback_faults.h"
#include "platform/env.h"
#include "plugin/module_lifetime.h"

extern "C" {

// Hands the module its services before the client's entry point runs. `env` must outlive the
// plug-in object; the exit forgets it.
__declspec(dllexport) void KestravaUseEnv(kestrava::Env* env) { kestrava::UseEnvForNextLoad(env); }

// Makes the next `count` callbacks fail inside the callback guard.
__declspec(dllexport) void KestravaInjectCallbackFaults(int count) {
  kestrava::client::InjectCallbackFaults(count);
}

}  // extern "C"
