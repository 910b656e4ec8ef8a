// The test double's plain-C functions (host/client_double/client_double.h), looked up in the
// double that a module for the real client loaded: this program does not link the double, whose
// file name is the stand-in host library's.
//
// Valid while the module (and with it the double) stays loaded. Thread: the simulator's.
#pragma once

#include <windows.h>

#include "host/client_double/client_double.h"

namespace kestrava::sim {

struct DoubleCalls {
  decltype(&KestravaDoubleInstall) install = nullptr;
  decltype(&KestravaDoubleModuleExited) module_exited = nullptr;
  decltype(&KestravaDoubleLateCalls) late_calls = nullptr;
  decltype(&KestravaDoubleRadarTargetPositionUpdate) radar_target_position_update = nullptr;
  decltype(&KestravaDoubleFlightPlanDisconnect) flight_plan_disconnect = nullptr;
  decltype(&KestravaDoubleFlightPlanDataUpdate) flight_plan_data_update = nullptr;
  decltype(&KestravaDoubleAssignedDataUpdate) assigned_data_update = nullptr;
  decltype(&KestravaDoubleCompileCommand) compile_command = nullptr;
  decltype(&KestravaDoubleGetTagItem) get_tag_item = nullptr;
  decltype(&KestravaDoubleFunctionCall) function_call = nullptr;
  decltype(&KestravaDoubleCreateScreen) create_screen = nullptr;
  decltype(&KestravaDoubleScreenContentLoaded) screen_content_loaded = nullptr;
  decltype(&KestravaDoubleScreenContentToBeSaved) screen_content_to_be_saved = nullptr;
  decltype(&KestravaDoubleScreenRefresh) screen_refresh = nullptr;
  decltype(&KestravaDoubleScreenCompileCommand) screen_compile_command = nullptr;
  decltype(&KestravaDoubleScreenClickObject) screen_click_object = nullptr;
  decltype(&KestravaDoubleScreenMoveObject) screen_move_object = nullptr;
  decltype(&KestravaDoubleScreenClosed) screen_closed = nullptr;

  // Looks every function up in `double_library`; false when one is missing.
  bool Resolve(HMODULE double_library);
};

}  // namespace kestrava::sim
