// kestrava-sim-client plays modules for the real client, through the test double beside them.
#include "tools/kestrava-sim/client/client_module.h"
#include "tools/kestrava-sim/program_loading.h"

namespace kestrava::sim {

ModuleLoading ProgramModuleLoading() {
  ModuleLoading loading;
  loading.open = OpenClientModule;
  return loading;
}

}  // namespace kestrava::sim
