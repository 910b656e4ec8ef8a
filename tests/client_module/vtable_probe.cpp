// Checks our declaration of the client's interface against the client's binary interface as
// documented: sizes and layouts of the classes, and the order of both virtual tables. Each slot
// is called through the raw table with the signature the client's table has at that position,
// and the function that answers records its name. Built in the client's ABI.
#include "client/EuroScopePlugIn.h"
#include "client/client_memory.h"

using namespace EuroScopePlugIn;

// --- Layouts ------------------------------------------------------------------------------------

struct TwoPointers {
  void* first;
  void* second;
};
struct PointerAndFlag {
  void* pointer;
  bool flag;
};
static_assert(sizeof(CPosition) == 16 && __builtin_offsetof(CPosition, m_Longitude) == 8);
static_assert(sizeof(CFlightPlan) == 4 && sizeof(CRadarTarget) == 4);
static_assert(sizeof(CFlightPlanData) == 4 && sizeof(CFlightPlanControllerAssignedData) == 4);
static_assert(sizeof(CFlightPlanExtractedRoute) == 4 && sizeof(CFlightPlanList) == 4);
static_assert(sizeof(CRadarTargetPositionData) == sizeof(TwoPointers));
static_assert(sizeof(CController) == sizeof(PointerAndFlag));
static_assert(sizeof(CGrountToAirChannel) == 4);
static_assert(sizeof(CPlugIn) == 8);        // table pointer, the client's data
static_assert(sizeof(CRadarScreen) == 12);  // table pointer, view, plug-in
static_assert(sizeof(POINT) == 8 && sizeof(RECT) == 16 && sizeof(COLORREF) == 4);

namespace {

char answered[48];  // the name of the last function that answered
void Answer(const char* name) {
  int i = 0;
  for (; name[i] != 0 && i < 47; ++i) answered[i] = name[i];
  answered[i] = 0;
}
bool Same(const char* a, const char* b) {
  for (; *a != 0 && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

#define KESTRAVA_ANSWER(name) Answer(name)

class ProbePlugIn final : public CPlugIn {
 public:
  ProbePlugIn() : CPlugIn(COMPATIBILITY_CODE, "probe", "1", "", "") {}
  ~ProbePlugIn() override { KESTRAVA_ANSWER("~CPlugIn"); }
  void OnControllerPositionUpdate(CController) override {
    KESTRAVA_ANSWER("OnControllerPositionUpdate");
  }
  void OnControllerDisconnect(CController) override { KESTRAVA_ANSWER("OnControllerDisconnect"); }
  void OnRadarTargetPositionUpdate(CRadarTarget) override {
    KESTRAVA_ANSWER("OnRadarTargetPositionUpdate");
  }
  void OnFlightPlanDisconnect(CFlightPlan) override { KESTRAVA_ANSWER("OnFlightPlanDisconnect"); }
  void OnFlightPlanFlightPlanDataUpdate(CFlightPlan) override {
    KESTRAVA_ANSWER("OnFlightPlanFlightPlanDataUpdate");
  }
  void OnPlaneInformationUpdate(const char*, const char*, const char*) override {
    KESTRAVA_ANSWER("OnPlaneInformationUpdate");
  }
  void OnFlightPlanControllerAssignedDataUpdate(CFlightPlan, int) override {
    KESTRAVA_ANSWER("OnFlightPlanControllerAssignedDataUpdate");
  }
  void OnFlightPlanFlightStripPushed(CFlightPlan, const char*, const char*) override {
    KESTRAVA_ANSWER("OnFlightPlanFlightStripPushed");
  }
  CRadarScreen* OnRadarScreenCreated(const char*, bool, bool, bool, bool) override {
    KESTRAVA_ANSWER("OnRadarScreenCreated");
    return nullptr;
  }
  bool OnCompileCommand(const char*) override {
    KESTRAVA_ANSWER("OnCompileCommand");
    return false;
  }
  void OnCompileFrequencyChat(const char*, double, const char*) override {
    KESTRAVA_ANSWER("OnCompileFrequencyChat");
  }
  void OnCompilePrivateChat(const char*, const char*, const char*) override {
    KESTRAVA_ANSWER("OnCompilePrivateChat");
  }
  void OnGetTagItem(CFlightPlan, CRadarTarget, int, int, char[16], int*, COLORREF*,
                    double*) override {
    KESTRAVA_ANSWER("OnGetTagItem");
  }
  void OnRefreshFpListContent(CFlightPlanList) override {
    KESTRAVA_ANSWER("OnRefreshFpListContent");
  }
  void OnNewMetarReceived(const char*, const char*) override {
    KESTRAVA_ANSWER("OnNewMetarReceived");
  }
  void OnFunctionCall(int, const char*, POINT, RECT) override { KESTRAVA_ANSWER("OnFunctionCall"); }
  void OnAirportRunwayActivityChanged() override {
    KESTRAVA_ANSWER("OnAirportRunwayActivityChanged");
  }
  void OnTimer(int) override { KESTRAVA_ANSWER("OnTimer"); }
  void OnVoiceTransmitStarted(bool) override { KESTRAVA_ANSWER("OnVoiceTransmitStarted"); }
  void OnVoiceTransmitEnded(bool) override { KESTRAVA_ANSWER("OnVoiceTransmitEnded"); }
  void OnVoiceReceiveStarted(CGrountToAirChannel) override {
    KESTRAVA_ANSWER("OnVoiceReceiveStarted");
  }
  void OnVoiceReceiveEnded(CGrountToAirChannel) override { KESTRAVA_ANSWER("OnVoiceReceiveEnded"); }
};

class ProbeScreen final : public CRadarScreen {
 public:
  void OnAsrContentLoaded(bool) override { KESTRAVA_ANSWER("OnAsrContentLoaded"); }
  void OnAsrContentToBeSaved() override { KESTRAVA_ANSWER("OnAsrContentToBeSaved"); }
  void OnRefresh(HDC, int) override { KESTRAVA_ANSWER("OnRefresh"); }
  void OnAsrContentToBeClosed() override { KESTRAVA_ANSWER("OnAsrContentToBeClosed"); }
  void OnControllerPositionUpdate(CController) override {
    KESTRAVA_ANSWER("OnControllerPositionUpdate");
  }
  void OnControllerDisconnect(CController) override { KESTRAVA_ANSWER("OnControllerDisconnect"); }
  void OnRadarTargetPositionUpdate(CRadarTarget) override {
    KESTRAVA_ANSWER("OnRadarTargetPositionUpdate");
  }
  void OnFlightPlanDisconnect(CFlightPlan) override { KESTRAVA_ANSWER("OnFlightPlanDisconnect"); }
  void OnFlightPlanFlightPlanDataUpdate(CFlightPlan) override {
    KESTRAVA_ANSWER("OnFlightPlanFlightPlanDataUpdate");
  }
  void OnFlightPlanControllerAssignedDataUpdate(CFlightPlan, int) override {
    KESTRAVA_ANSWER("OnFlightPlanControllerAssignedDataUpdate");
  }
  void OnFlightPlanFlightStripPushed(CFlightPlan, const char*, const char*) override {
    KESTRAVA_ANSWER("OnFlightPlanFlightStripPushed");
  }
  bool OnCompileCommand(const char*) override {
    KESTRAVA_ANSWER("OnCompileCommand");
    return false;
  }
  void OnOverScreenObject(int, const char*, POINT, RECT) override {
    KESTRAVA_ANSWER("OnOverScreenObject");
  }
  void OnButtonDownScreenObject(int, const char*, POINT, RECT, int) override {
    KESTRAVA_ANSWER("OnButtonDownScreenObject");
  }
  void OnButtonUpScreenObject(int, const char*, POINT, RECT, int) override {
    KESTRAVA_ANSWER("OnButtonUpScreenObject");
  }
  void OnClickScreenObject(int, const char*, POINT, RECT, int) override {
    KESTRAVA_ANSWER("OnClickScreenObject");
  }
  void OnDoubleClickScreenObject(int, const char*, POINT, RECT, int) override {
    KESTRAVA_ANSWER("OnDoubleClickScreenObject");
  }
  void OnMoveScreenObject(int, const char*, POINT, RECT, bool) override {
    KESTRAVA_ANSWER("OnMoveScreenObject");
  }
  void OnFunctionCall(int, const char*, POINT, RECT) override { KESTRAVA_ANSWER("OnFunctionCall"); }
};

// Slot `index` of `object`'s table, as a __thiscall function taking `Arguments`.
template <class... Arguments>
void CallSlot(void* object, int index, Arguments... arguments) {
  using Slot = void(__thiscall*)(void*, Arguments...);
  void** table = *static_cast<void***>(object);
  reinterpret_cast<Slot>(table[index])(object, arguments...);
}

// The client's CPlugIn table, slot by slot, with its arguments.
void CallPlugInSlot(void* p, int slot) {
  char text[16] = {};
  int colour = 0;
  COLORREF rgb = 0;
  double size = 0;
  switch (slot) {
    case 0: CallSlot(p, 0, 0u); break;  // the destructor, not deleting
    case 1: CallSlot(p, 1, CController()); break;
    case 2: CallSlot(p, 2, CController()); break;
    case 3: CallSlot(p, 3, CRadarTarget()); break;
    case 4: CallSlot(p, 4, CFlightPlan()); break;
    case 5: CallSlot(p, 5, CFlightPlan()); break;
    case 6: CallSlot(p, 6, "", "", ""); break;
    case 7: CallSlot(p, 7, CFlightPlan(), 1); break;
    case 8: CallSlot(p, 8, CFlightPlan(), "", ""); break;
    case 9: CallSlot(p, 9, "", true, true, true, true); break;
    case 10: CallSlot(p, 10, ""); break;
    case 11: CallSlot(p, 11, "", 118.5, ""); break;
    case 12: CallSlot(p, 12, "", "", ""); break;
    case 13:
      CallSlot(p, 13, CFlightPlan(), CRadarTarget(), 85, 0, text, &colour, &rgb, &size);
      break;
    case 14: CallSlot(p, 14, CFlightPlanList()); break;
    case 15: CallSlot(p, 15, "", ""); break;
    case 16: CallSlot(p, 16, 1, "", POINT{}, RECT{}); break;
    case 17: CallSlot(p, 17); break;
    case 18: CallSlot(p, 18, 1); break;
    case 19: CallSlot(p, 19, true); break;
    case 20: CallSlot(p, 20, true); break;
    case 21: CallSlot(p, 21, CGrountToAirChannel()); break;
    case 22: CallSlot(p, 22, CGrountToAirChannel()); break;
  }
}

void CallScreenSlot(void* s, int slot) {
  switch (slot) {
    case 0: CallSlot(s, 0, true); break;
    case 1: CallSlot(s, 1); break;
    case 2: CallSlot(s, 2, static_cast<HDC>(nullptr), 1); break;
    case 3: CallSlot(s, 3); break;
    case 4: CallSlot(s, 4, CController()); break;
    case 5: CallSlot(s, 5, CController()); break;
    case 6: CallSlot(s, 6, CRadarTarget()); break;
    case 7: CallSlot(s, 7, CFlightPlan()); break;
    case 8: CallSlot(s, 8, CFlightPlan()); break;
    case 9: CallSlot(s, 9, CFlightPlan(), 1); break;
    case 10: CallSlot(s, 10, CFlightPlan(), "", ""); break;
    case 11: CallSlot(s, 11, ""); break;
    case 12: CallSlot(s, 12, 1, "", POINT{}, RECT{}); break;
    case 13: CallSlot(s, 13, 1, "", POINT{}, RECT{}, 1); break;
    case 14: CallSlot(s, 14, 1, "", POINT{}, RECT{}, 1); break;
    case 15: CallSlot(s, 15, 1, "", POINT{}, RECT{}, 1); break;
    case 16: CallSlot(s, 16, 1, "", POINT{}, RECT{}, 1); break;
    case 17: CallSlot(s, 17, 1, "", POINT{}, RECT{}, true); break;
    case 18: CallSlot(s, 18, 1, "", POINT{}, RECT{}); break;
  }
}

const char* const kPlugInTable[23] = {"~CPlugIn",
                                      "OnControllerPositionUpdate",
                                      "OnControllerDisconnect",
                                      "OnRadarTargetPositionUpdate",
                                      "OnFlightPlanDisconnect",
                                      "OnFlightPlanFlightPlanDataUpdate",
                                      "OnPlaneInformationUpdate",
                                      "OnFlightPlanControllerAssignedDataUpdate",
                                      "OnFlightPlanFlightStripPushed",
                                      "OnRadarScreenCreated",
                                      "OnCompileCommand",
                                      "OnCompileFrequencyChat",
                                      "OnCompilePrivateChat",
                                      "OnGetTagItem",
                                      "OnRefreshFpListContent",
                                      "OnNewMetarReceived",
                                      "OnFunctionCall",
                                      "OnAirportRunwayActivityChanged",
                                      "OnTimer",
                                      "OnVoiceTransmitStarted",
                                      "OnVoiceTransmitEnded",
                                      "OnVoiceReceiveStarted",
                                      "OnVoiceReceiveEnded"};

const char* const kScreenTable[19] = {"OnAsrContentLoaded",
                                      "OnAsrContentToBeSaved",
                                      "OnRefresh",
                                      "OnAsrContentToBeClosed",
                                      "OnControllerPositionUpdate",
                                      "OnControllerDisconnect",
                                      "OnRadarTargetPositionUpdate",
                                      "OnFlightPlanDisconnect",
                                      "OnFlightPlanFlightPlanDataUpdate",
                                      "OnFlightPlanControllerAssignedDataUpdate",
                                      "OnFlightPlanFlightStripPushed",
                                      "OnCompileCommand",
                                      "OnOverScreenObject",
                                      "OnButtonDownScreenObject",
                                      "OnButtonUpScreenObject",
                                      "OnClickScreenObject",
                                      "OnDoubleClickScreenObject",
                                      "OnMoveScreenObject",
                                      "OnFunctionCall"};

}  // namespace

extern "C" {

// The first slot of the plug-in's (table 0) or screen's (table 1) table whose answer is not the
// documented function, with what answered; -1 when every slot answers as documented.
int KestravaProbeTable(int table, const char** expected, const char** got) {
  // Made in static storage: the destructor slot runs in place, and nothing is freed.
  alignas(ProbePlugIn) static unsigned char plugin_memory[sizeof(ProbePlugIn)];
  alignas(ProbeScreen) static unsigned char screen_memory[sizeof(ProbeScreen)];
  const int slots = table == 0 ? 23 : 19;
  for (int slot = 0; slot < slots; ++slot) {
    static char answer[sizeof answered];
    ProbePlugIn* plugin = table == 0 ? new (plugin_memory) ProbePlugIn : nullptr;
    answered[0] = 0;
    if (table == 0) {
      CallPlugInSlot(plugin, slot);
    } else {
      CallScreenSlot(new (screen_memory) ProbeScreen, slot);
    }
    __builtin_memcpy(answer, answered, sizeof answer);
    if (table == 0 && slot != 0) plugin->~ProbePlugIn();
    const char* want = table == 0 ? kPlugInTable[slot] : kScreenTable[slot];
    if (!Same(want, answer)) {
      *expected = want;
      *got = answer;
      return slot;
    }
  }
  return -1;
}

// What the handles' inline members read, from handles made of known members: 1 when all agree
// with the documented layouts, else the number of the first check that failed.
int KestravaProbeHandles(void) {
  int dummy = 0;
  if (CController().IsValid()) return 2;
  if (!__builtin_bit_cast(CController, PointerAndFlag{nullptr, true}).IsValid()) return 3;
  if (!__builtin_bit_cast(CController, PointerAndFlag{&dummy, false}).IsValid()) return 4;
  if (!__builtin_bit_cast(CRadarTargetPositionData, TwoPointers{&dummy, nullptr}).IsValid()) {
    return 5;
  }
  if (__builtin_bit_cast(CRadarTargetPositionData, TwoPointers{nullptr, &dummy}).IsValid()) {
    return 6;
  }
  if (CGrountToAirChannel().IsValid() || !__builtin_bit_cast(CGrountToAirChannel, 0).IsValid()) {
    return 7;
  }
  if (CFlightPlan().IsValid() || !__builtin_bit_cast(CFlightPlan, &dummy).IsValid()) return 8;
  // The link to the plug-in is the screen's third word, after the table and the view.
  alignas(ProbeScreen) static unsigned char screen_memory[sizeof(ProbeScreen)];
  auto* screen = new (screen_memory) ProbeScreen;
  void* plugin = &dummy;
  __builtin_memcpy(screen_memory + 2 * sizeof(void*), &plugin, sizeof plugin);
  if (screen->GetPlugIn() != static_cast<void*>(&dummy)) return 9;
  return 1;
}

// Saves a plug-in setting through the client's library as a module would, for `plugin` (a
// module's CPlugIn*): values a module must never give can be planted this way.
void KestravaProbeSaveSetting(void* plugin, const char* key, const char* description,
                              const char* value) {
  static_cast<CPlugIn*>(plugin)->SaveDataToSettings(key, description, value);
}

}  // extern "C"
