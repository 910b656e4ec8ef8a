// What the simulator can play and report, gathered from one registration function per feature.
//
// A feature (the aircraft events, the tag items, the squawk codes, ...) has its own file with a
// function `void Register...(Extensions&)` that adds its step kinds, its columns of the summary
// table and its event sources (observers of the stand-in host and of the simulated services that
// write events). RegisterBuiltIns calls every such function, in the order of its list; that order
// is also the order of the summary's columns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {

struct Extensions {
  StepTable steps;
  std::vector<std::string> summary_columns;
  // Each runs once on a new Simulation, before the plug-in loads (to add observers).
  std::vector<std::function<void(Simulation&)>> event_sources;
};

// Every built-in feature.
Extensions BuiltInExtensions();

// --- The registration functions (one file each, listed in extensions.cpp) ------------------------
void RegisterFlightPlanStep(Extensions& extensions);       // steps/flightplan_step.cpp
void RegisterPositionStep(Extensions& extensions);         // steps/position_step.cpp
void RegisterDisconnectStep(Extensions& extensions);       // steps/disconnect_step.cpp
void RegisterUnloadStep(Extensions& extensions);           // steps/unload_step.cpp
void RegisterSettingsEvents(Extensions& extensions);       // events/settings_events.cpp
void RegisterDesktopEvents(Extensions& extensions);        // events/desktop_events.cpp
void RegisterUserMessageEvents(Extensions& extensions);    // events/user_message_events.cpp
void RegisterStatisticsLogColumn(Extensions& extensions);  // events/statistics_log_column.cpp
void RegisterTagsStep(Extensions& extensions);             // steps/tags_step.cpp

// The controller's actions on aircraft and the command line, and what the host shows of them.
void RegisterGroundStateStep(Extensions& extensions);        // steps/ground_state_step.cpp
void RegisterSelectStep(Extensions& extensions);             // steps/select_step.cpp
void RegisterFunctionStep(Extensions& extensions);           // steps/function_step.cpp
void RegisterPopupStep(Extensions& extensions);              // steps/popup_step.cpp
void RegisterCommandStep(Extensions& extensions);            // steps/command_step.cpp
void RegisterDialogEvents(Extensions& extensions);           // events/dialog_events.cpp
void RegisterClearedAltitudeEvents(Extensions& extensions);  // events/cleared_altitude_events.cpp
void RegisterPopupEditEvents(Extensions& extensions);        // events/popup_edit_events.cpp

// Squawk codes: the controller's "squawk" step, the local reference service and "squawk_set".
void RegisterSquawkStep(Extensions& extensions);         // steps/squawk_step.cpp
void RegisterSquawkEvents(Extensions& extensions);       // events/squawk_events.cpp
void RegisterSquawkServiceStep(Extensions& extensions);  // steps/squawk_service_step.cpp

// Radar displays: opening, snapshots, clicks and drags on screen objects, closing, and what the
// screen objects save.
void RegisterDisplayOpenStep(Extensions& extensions);        // steps/display_open_step.cpp
void RegisterSnapshotStep(Extensions& extensions);           // steps/snapshot_step.cpp
void RegisterClickStep(Extensions& extensions);              // steps/click_step.cpp
void RegisterDragStep(Extensions& extensions);               // steps/drag_step.cpp
void RegisterDisplayCloseStep(Extensions& extensions);       // steps/display_close_step.cpp
void RegisterDisplaySettingsEvents(Extensions& extensions);  // events/display_settings_events.cpp

}  // namespace kestrava::sim
