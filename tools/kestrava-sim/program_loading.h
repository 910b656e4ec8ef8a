// How this program of the simulator plays modules: each program (kestrava-sim,
// kestrava-sim-client) links its own definition.
#pragma once

#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {

ModuleLoading ProgramModuleLoading();

}  // namespace kestrava::sim
