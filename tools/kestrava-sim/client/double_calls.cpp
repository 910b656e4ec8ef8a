#include "tools/kestrava-sim/client/double_calls.h"

namespace kestrava::sim {
namespace {

template <class Function>
bool Find(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

}  // namespace

bool DoubleCalls::Resolve(HMODULE library) {
  return Find(library, "KestravaDoubleInstall", install) &&
         Find(library, "KestravaDoubleModuleExited", module_exited) &&
         Find(library, "KestravaDoubleLateCalls", late_calls) &&
         Find(library, "KestravaDoubleRadarTargetPositionUpdate", radar_target_position_update) &&
         Find(library, "KestravaDoubleFlightPlanDisconnect", flight_plan_disconnect) &&
         Find(library, "KestravaDoubleFlightPlanDataUpdate", flight_plan_data_update) &&
         Find(library, "KestravaDoubleAssignedDataUpdate", assigned_data_update) &&
         Find(library, "KestravaDoubleCompileCommand", compile_command) &&
         Find(library, "KestravaDoubleGetTagItem", get_tag_item) &&
         Find(library, "KestravaDoubleFunctionCall", function_call) &&
         Find(library, "KestravaDoubleCreateScreen", create_screen) &&
         Find(library, "KestravaDoubleScreenContentLoaded", screen_content_loaded) &&
         Find(library, "KestravaDoubleScreenContentToBeSaved", screen_content_to_be_saved) &&
         Find(library, "KestravaDoubleScreenRefresh", screen_refresh) &&
         Find(library, "KestravaDoubleScreenCompileCommand", screen_compile_command) &&
         Find(library, "KestravaDoubleScreenClickObject", screen_click_object) &&
         Find(library, "KestravaDoubleScreenMoveObject", screen_move_object) &&
         Find(library, "KestravaDoubleScreenClosed", screen_closed);
}

}  // namespace kestrava::sim
