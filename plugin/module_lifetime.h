// The module's one plug-in object: made when the host loads the module, deleted when it unloads
// it. Shared by every binding's entry points. Host thread only.
#pragma once

#include "platform/env.h"
#include "plugin/QEXPlugin.h"

namespace kestrava {

// Makes the plug-in object on the services handed in with UseEnvForNextLoad, or the build's own;
// null when it could not be made. Sets thePlugIn.
QEXPlugin* CreateThePlugIn() noexcept;

// Deletes the plug-in object, if any, and forgets services handed in: a module that stays mapped
// may be loaded again by a host that hands in none. Then gives back what the module's runtime
// keeps for the host's thread (platform/thread_runtime.h).
void DeleteThePlugIn() noexcept;

// Services for the next plug-in object; `env` must outlive it. Null: the build's own.
void UseEnvForNextLoad(Env* env) noexcept;

}  // namespace kestrava
