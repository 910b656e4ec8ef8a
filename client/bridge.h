// The plain-C boundary between the module's two halves: the client-facing half (compiled in the
// client's ABI, no standard library) and the logic (compiled by the module's main compiler, with
// its runtime). Both compilers include this header.
//
// Rules at this boundary:
// - Only plain types cross: ints, bools, doubles, pointers, zero-terminated texts and the small
//   structs below. No exception crosses: every function here returns normally.
// - Nothing allocated on one side is freed on the other: each side creates and deletes its own
//   objects, asking the other to do the same for its own.
// - The client's handles cross as the pointers they hold. They are valid only during the client
//   call that produced them (or, for selections, as long as that call).
// - Everything runs on the client's user-interface thread.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// An aircraft: a flight plan and its correlated radar target, either of which may be null.
struct KestravaAircraftRef {
  void* flight_plan;
  void* radar_target;
};

// An extracted route of the client: its pointer and its number of points, read once.
struct KestravaRouteRef {
  void* route;
  int point_count;
};

// A controller handle of the client: its pointer and the flag of the user's own position.
struct KestravaControllerRef {
  void* controller;
  bool myself;
};

struct KestravaPoint {
  int x;
  int y;
};

struct KestravaRect {  // right and bottom exclusive
  int left;
  int top;
  int right;
  int bottom;
};

// Texts of an aircraft, one function for all.
enum KestravaAircraftText {
  KESTRAVA_CALLSIGN,
  KESTRAVA_PILOT_NAME,
  KESTRAVA_GROUND_STATE,
  KESTRAVA_ORIGIN,
  KESTRAVA_DESTINATION,
  KESTRAVA_SID_NAME,
  KESTRAVA_STAR_NAME,
  KESTRAVA_DEPARTURE_RWY,
  KESTRAVA_ARRIVAL_RWY,
  KESTRAVA_AIRCRAFT_FP_TYPE,
  KESTRAVA_ESTIMATED_DEPARTURE_TIME,
  KESTRAVA_ACTUAL_DEPARTURE_TIME,
  KESTRAVA_SQUAWK,
};

enum KestravaControllerText {
  KESTRAVA_CONTROLLER_CALLSIGN,
  KESTRAVA_CONTROLLER_FULL_NAME,
};

// ---- Implemented by the client-facing half: the client's operations -----------------------
// `plugin` is the client-facing plug-in object, `screen` a client-facing screen object; texts
// returned are the client's, never null ("" for nothing), except settings (null when absent).

// Creates the client-facing plug-in object (the client's base constructed with its compatibility
// code and these texts) forwarding to `logic`; null when out of memory.
void* KestravaClientCreatePlugIn(void* logic, const char* name, const char* version,
                                 const char* author, const char* copyright);
void KestravaClientDeletePlugIn(void* plugin);
// Creates the client-facing screen object forwarding to `logic_screen`; null when out of memory.
// It deletes itself when the client closes the display.
void* KestravaClientCreateScreen(void* logic_screen);

const char* KestravaClientGetSetting(void* plugin, const char* key);
void KestravaClientSaveSetting(void* plugin, const char* key, const char* description,
                               const char* value);
void KestravaClientRegisterTagItem(void* plugin, const char* name, int code);
void KestravaClientRegisterTagFunction(void* plugin, const char* name, int code);
void KestravaClientOpenPopupEdit(void* plugin, const struct KestravaRect* area, int function,
                                 const char* initial_text);
void KestravaClientSelectAircraft(void* plugin, const char* callsign,
                                  struct KestravaAircraftRef* aircraft);
void KestravaClientSelectedAircraft(void* plugin, struct KestravaAircraftRef* aircraft);
void KestravaClientControllerMyself(void* plugin, struct KestravaControllerRef* controller);
void KestravaClientDisplayUserMessage(void* plugin, const char* handler, const char* sender,
                                      const char* message, bool show_handler, bool show_unread,
                                      bool show_unread_even_if_busy, bool start_flashing,
                                      bool need_confirmation);

const char* KestravaClientAircraftText(const struct KestravaAircraftRef* aircraft,
                                       enum KestravaAircraftText text);
// False, and nothing written, when the aircraft has no radar target.
bool KestravaClientAircraftPosition(const struct KestravaAircraftRef* aircraft, double* latitude,
                                    double* longitude, int* ground_speed);
bool KestravaClientSetSquawk(const struct KestravaAircraftRef* aircraft, const char* squawk);
bool KestravaClientSetClearedAltitude(const struct KestravaAircraftRef* aircraft, int feet);
// The aircraft's extracted route and its number of points (null and 0 without a flight plan).
void KestravaClientExtractedRoute(const struct KestravaAircraftRef* aircraft,
                                  struct KestravaRouteRef* route);
const char* KestravaClientRoutePointName(const struct KestravaRouteRef* route, int index);
// The names of points first to first + count - 1 into `names[0]` to `names[count - 1]`, each as
// KestravaClientRoutePointName gives it: a run of a route's names in one call.
void KestravaClientRoutePointNames(const struct KestravaRouteRef* route, int first, int count,
                                   const char** names);
int KestravaClientRouteCalculatedIndex(const struct KestravaRouteRef* route);

const char* KestravaClientControllerText(const struct KestravaControllerRef* controller,
                                         enum KestravaControllerText text);
int KestravaClientControllerFacility(const struct KestravaControllerRef* controller);

const char* KestravaClientGetScreenSetting(void* screen, const char* key);
void KestravaClientSaveScreenSetting(void* screen, const char* key, const char* description,
                                     const char* value);
void KestravaClientAddScreenObject(void* screen, int type, const char* id,
                                   const struct KestravaRect* area, bool moveable,
                                   const char* message);
void KestravaClientPositionToPixel(void* screen, double latitude, double longitude,
                                   struct KestravaPoint* pixel);
void KestravaClientRequestRefresh(void* screen);

// ---- Implemented by the logic: the module's life and the client's callbacks ------------------
// `logic` is the logic's plug-in object, `logic_screen` one of its screen objects. Each call
// catches whatever the logic throws.

// Creates the logic's plug-in object; returns its client-facing object, or null when it could
// not be made.
void* KestravaLogicCreatePlugIn(void);
// Deletes the logic's plug-in object and with it the client-facing one.
void KestravaLogicDeletePlugIn(void);

// Which of the logic's objects a callback both kinds receive is for.
enum KestravaReceiver {
  KESTRAVA_PLUG_IN,  // `receiver` is the logic's plug-in object
  KESTRAVA_SCREEN,   // `receiver` is one of its screen objects
};

// Callbacks of the plug-in object and of a screen object alike.
void KestravaLogicControllerPositionUpdate(void* receiver, enum KestravaReceiver kind,
                                           const struct KestravaControllerRef* controller);
void KestravaLogicControllerDisconnect(void* receiver, enum KestravaReceiver kind,
                                       const struct KestravaControllerRef* controller);
void KestravaLogicAircraftPositionUpdate(void* receiver, enum KestravaReceiver kind,
                                         const struct KestravaAircraftRef* aircraft);
void KestravaLogicAircraftDisconnect(void* receiver, enum KestravaReceiver kind,
                                     const struct KestravaAircraftRef* aircraft);
void KestravaLogicFlightPlanUpdate(void* receiver, enum KestravaReceiver kind,
                                   const struct KestravaAircraftRef* aircraft);
void KestravaLogicAssignedDataUpdate(void* receiver, enum KestravaReceiver kind,
                                     const struct KestravaAircraftRef* aircraft, int data_type);
void KestravaLogicStripPushed(void* receiver, enum KestravaReceiver kind,
                              const struct KestravaAircraftRef* aircraft, const char* sender,
                              const char* target);
bool KestravaLogicCompileCommand(void* receiver, enum KestravaReceiver kind,
                                 const char* command_line);
void KestravaLogicFunctionCall(void* receiver, enum KestravaReceiver kind, int function,
                               const char* item_string, const struct KestravaPoint* point,
                               const struct KestravaRect* area);

// Callbacks of the plug-in object only.
// Returns the client-facing object of the screen the logic made, or null.
void* KestravaLogicRadarScreenCreated(void* logic, const char* display_name,
                                      bool need_radar_content, bool geo_referenced,
                                      bool can_be_saved, bool can_be_created);
void KestravaLogicFrequencyChat(void* logic, const char* sender, double frequency,
                                const char* message);
void KestravaLogicPrivateChat(void* logic, const char* sender, const char* receiver,
                              const char* message);
// `item_string` holds 16 chars, the terminating zero included.
void KestravaLogicGetTagItem(void* logic, const struct KestravaAircraftRef* aircraft, int item_code,
                             int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                             double* font_size);
void KestravaLogicNewMetar(void* logic, const char* station, const char* metar);
void KestravaLogicRunwayActivityChanged(void* logic);

// Callbacks of a screen object only.
void KestravaLogicScreenContentLoaded(void* logic_screen, bool loaded);
void KestravaLogicScreenContentToBeSaved(void* logic_screen);
void KestravaLogicScreenRefresh(void* logic_screen, void* device_context, int phase);
// The logic's screen object ends itself.
void KestravaLogicScreenClosed(void* logic_screen);
void KestravaLogicScreenOverObject(void* logic_screen, int type, const char* id,
                                   const struct KestravaPoint* point,
                                   const struct KestravaRect* area);
void KestravaLogicScreenClickObject(void* logic_screen, int type, const char* id,
                                    const struct KestravaPoint* point,
                                    const struct KestravaRect* area, int button);
void KestravaLogicScreenDoubleClickObject(void* logic_screen, int type, const char* id,
                                          const struct KestravaPoint* point,
                                          const struct KestravaRect* area, int button);
void KestravaLogicScreenMoveObject(void* logic_screen, int type, const char* id,
                                   const struct KestravaPoint* point,
                                   const struct KestravaRect* area, bool released);

#ifdef __cplusplus
}  // extern "C"
#endif
