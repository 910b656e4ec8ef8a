// Opening a module for the real client in the stand-in World: the module is loaded with the test
// double of the client's library from its own folder, the double's host table is served by the
// World, and the module answers the stand-in's export names (EuroScopePlugInInit,
// EuroScopePlugInExit, and its own exports such as KestravaUseEnv) so that World::LoadPlugIn and
// UnloadPlugIn drive it unchanged:
// - the init calls the module's decorated entry point; the module's plug-in object reaches the
//   World as its ClientPlugInAdapter;
// - the exit calls the module's decorated exit, then tells the double the module has exited.
//
// One module for the real client is open at a time in a process (the entry points it answers
// are plain functions). Thread: the simulator's.
#pragma once

#include <memory>
#include <string>

#include "host/module_loader.h"

namespace kestrava::sim {

// A standin::ModuleOpener. Null, with `error`, when the file cannot be loaded, is not a module
// for the real client (no decorated entry points), its folder gives no test double, or another
// such module is open.
std::unique_ptr<standin::PlugInModule> OpenClientModule(const std::string& path,
                                                        std::string& error);

}  // namespace kestrava::sim
