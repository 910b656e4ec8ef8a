// A test double of the real client's interface library: an `EuroScopePlugInDll.dll` in the
// client's ABI (client/EuroScopePlugIn.h, exporting mode), for loading and driving the module for
// the real client as the client would, with no client here.
//
// Plain C, so a program built by any compiler drives it:
// - the program installs a table of functions (KestravaDoubleHost) that serves every operation
//   the module calls: the double turns the client's handles into the pointers the table gave;
// - the program calls the module's callbacks through the double (KestravaDouble*), which makes
//   the calls through the client's virtual tables with the client's handles.
// A handle's pointer is whatever the table hands out (null: an empty handle). Thread: the
// program's one thread, as the client's user-interface thread.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

enum KestravaDoubleText {  // texts of a flight plan
  KESTRAVA_DOUBLE_CALLSIGN,
  KESTRAVA_DOUBLE_PILOT_NAME,
  KESTRAVA_DOUBLE_GROUND_STATE,
  KESTRAVA_DOUBLE_ORIGIN,
  KESTRAVA_DOUBLE_DESTINATION,
  KESTRAVA_DOUBLE_SID_NAME,
  KESTRAVA_DOUBLE_STAR_NAME,
  KESTRAVA_DOUBLE_DEPARTURE_RWY,
  KESTRAVA_DOUBLE_ARRIVAL_RWY,
  KESTRAVA_DOUBLE_AIRCRAFT_FP_TYPE,
  KESTRAVA_DOUBLE_ESTIMATED_DEPARTURE_TIME,
  KESTRAVA_DOUBLE_ACTUAL_DEPARTURE_TIME,
  KESTRAVA_DOUBLE_SQUAWK,
};

// A flight plan's extracted route, whole, as the program holds it (KestravaDoubleHost's
// extracted_route).
struct KestravaDoubleRoute {
  const char* const* point_names;  // point_count names
  int point_count;
  int calculated_index;
};

// What the client's library does, as the program serves it. `context` is the table's own.
// `plugin` is what plugin_created returned; `view` what KestravaDoubleCreateScreen was given.
// Texts returned must stay valid until the current callback returns.
struct KestravaDoubleHost {
  void* context;

  void* (*plugin_created)(void* context, int compatibility, const char* name, const char* version,
                          const char* author, const char* copyright);
  void (*plugin_deleted)(void* context, void* plugin);
  void (*register_tag_item)(void* context, void* plugin, const char* name, int code);
  void (*register_tag_function)(void* context, void* plugin, const char* name, int code);
  const char* (*get_setting)(void* context, void* plugin, const char* key);
  void (*save_setting)(void* context, void* plugin, const char* key, const char* description,
                       const char* value);
  void (*open_popup_edit)(void* context, void* plugin, int left, int top, int right, int bottom,
                          int function, const char* initial_text);
  void* (*flight_plan_select)(void* context, const char* callsign);  // null: none
  void* (*radar_target_select)(void* context, const char* callsign);
  void* (*flight_plan_selected)(void* context);
  void* (*radar_target_selected)(void* context);
  void* (*controller_myself)(void* context);
  void (*display_user_message)(void* context, const char* handler, const char* sender,
                               const char* message, bool show_handler, bool show_unread,
                               bool show_unread_even_if_busy, bool start_flashing,
                               bool need_confirmation);

  const char* (*flight_plan_text)(void* context, void* flight_plan, enum KestravaDoubleText text);
  void* (*flight_plan_radar_target)(void* context, void* flight_plan);
  bool (*set_squawk)(void* context, void* flight_plan, const char* squawk);
  bool (*set_cleared_altitude)(void* context, void* flight_plan, int feet);
  int (*route_point_count)(void* context, void* flight_plan);
  const char* (*route_point_name)(void* context, void* flight_plan, int index);
  int (*route_calculated_index)(void* context, void* flight_plan);
  // Or the route whole, as the client keeps its own: when set, the double asks for it once a
  // GetExtractedRoute (null: no route) and answers that handle's operations from it, valid until
  // the current callback returns, with no call to the program a point; the three above are then
  // not used.
  const struct KestravaDoubleRoute* (*extracted_route)(void* context, void* flight_plan);

  const char* (*radar_target_callsign)(void* context, void* radar_target);
  void* (*radar_target_flight_plan)(void* context, void* radar_target);
  void (*radar_target_position)(void* context, void* radar_target, double* latitude,
                                double* longitude, int* ground_speed);

  const char* (*controller_callsign)(void* context, void* controller);
  const char* (*controller_full_name)(void* context, void* controller);
  int (*controller_facility)(void* context, void* controller);

  const char* (*get_display_setting)(void* context, void* view, const char* key);
  void (*save_display_setting)(void* context, void* view, const char* key, const char* description,
                               const char* value);
  void (*add_screen_object)(void* context, void* view, int type, const char* id, int left, int top,
                            int right, int bottom, bool moveable, const char* message);
  void (*position_to_pixel)(void* context, void* view, double latitude, double longitude, int* x,
                            int* y);
  void (*request_refresh)(void* context, void* view);

  // The module broke a rule the client documents for an operation's arguments (see
  // SaveDataToSettings and SaveDataToAsr: never a null description or value; the value printable
  // ASCII only, never ':', CR or LF). `operation` names the call, `name` the key it was given,
  // `rule` what was wrong. The call is refused: not served.
  void (*rule_broken)(void* context, const char* operation, const char* name, const char* rule);
};

// Installs the table (copied); null: none, every operation answers empty.
void KestravaDoubleInstall(const struct KestravaDoubleHost* host);

// The program has called the module's exit. From now until the module's entry point makes its next
// plug-in object, every operation the module calls and every callback below is a late call:
// counted, answered empty and not delivered.
void KestravaDoubleModuleExited(void);
// Late calls since the double was loaded.
int KestravaDoubleLateCalls(void);

// The plug-in object: `plugin` is the client's CPlugIn* the module's entry point gave.
void KestravaDoubleDeletePlugIn(void* plugin);  // its virtual destructor
void KestravaDoubleRadarTargetPositionUpdate(void* plugin, void* radar_target);
void KestravaDoubleFlightPlanDisconnect(void* plugin, void* flight_plan);
void KestravaDoubleFlightPlanDataUpdate(void* plugin, void* flight_plan);
void KestravaDoubleAssignedDataUpdate(void* plugin, void* flight_plan, int data_type);
bool KestravaDoubleCompileCommand(void* plugin, const char* command_line);
// `item_string` holds 16 chars.
void KestravaDoubleGetTagItem(void* plugin, void* flight_plan, void* radar_target, int item_code,
                              int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                              double* font_size);
void KestravaDoubleFunctionCall(void* plugin, int function, const char* item_string, int x, int y,
                                int left, int top, int right, int bottom);
void KestravaDoubleTimer(void* plugin, int counter);

// A display: asks the plug-in for its screen object, tied to `view` (the program's display);
// null when the plug-in has none.
void* KestravaDoubleCreateScreen(void* plugin, void* view, const char* display_name);
void KestravaDoubleScreenContentLoaded(void* screen, bool loaded);
void KestravaDoubleScreenContentToBeSaved(void* screen);
void KestravaDoubleScreenRefresh(void* screen, void* device_context, int phase);
bool KestravaDoubleScreenCompileCommand(void* screen, const char* command_line);
void KestravaDoubleScreenClickObject(void* screen, int type, const char* id, int x, int y, int left,
                                     int top, int right, int bottom, int button);
void KestravaDoubleScreenMoveObject(void* screen, int type, const char* id, int x, int y, int left,
                                    int top, int right, int bottom, bool released);
// The screen object ends itself: `screen` is gone after this.
void KestravaDoubleScreenClosed(void* screen);
// The plug-in a screen object names as its own (the link the client writes).
void* KestravaDoubleScreenPlugIn(void* screen);

#ifdef __cplusplus
}  // extern "C"
#endif
