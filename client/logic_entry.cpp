// The simulator's way to hand the module for the real client its services before the client's
// entry point runs (the real client never calls it). `env` must outlive the plug-in object; the
// exit forgets it.
#include "platform/env.h"
#include "plugin/module_lifetime.h"

extern "C" __declspec(dllexport) void KestravaUseEnv(kestrava::Env* env) {
  kestrava::UseEnvForNextLoad(env);
}
