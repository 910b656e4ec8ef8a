// kestrava-sim plays stand-in modules itself; on Windows a module for the real client is played by
// the companion program (client_program.h).
#include "tools/kestrava-sim/program_loading.h"

#if defined(_WIN32)
#include "tools/kestrava-sim/client_program.h"
#endif

namespace kestrava::sim {

ModuleLoading ProgramModuleLoading() {
  ModuleLoading loading;
#if defined(_WIN32)
  loading.play_elsewhere = PlayInClientProgram;
#endif
  return loading;
}

}  // namespace kestrava::sim
