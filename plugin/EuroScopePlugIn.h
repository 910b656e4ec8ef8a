// The host interface: the classes through which the radar client and a plug-in module talk.
//
// The host implements the non-virtual operations in its library "EuroScopePlugInDll"; the plug-in
// derives from CPlugIn and CRadarScreen and overrides the virtual callbacks it answers.
//
// Contracts:
// - Every callback arrives on the host's thread, and every operation is called from it.
// - Handles (CAircraft, CAircraftFlightPlan, CAircraftPositionData,
//   CAircraftControllerAssignedData, CAircraftExtractedRoute, CController) are cheap values that
//   are valid only during the host call that produced them. An empty handle answers empty texts
//   and zeros. Texts returned by the host are read-only and valid until the callback returns;
//   copy what must be kept.
// - No exception crosses this interface in either direction.
#pragma once

#include <cstdint>

#if defined(KESTRAVA_CLIENT_MODULE)
#define ESPI_API  // implemented inside the module for the real client, on the client's objects
#elif defined(_WIN32)
#if defined(ESPI_BUILDING_HOST)
#define ESPI_API __declspec(dllexport)
#else
#define ESPI_API __declspec(dllimport)
#endif
#else
#define ESPI_API __attribute__((visibility("default")))
#endif

namespace EuroScopePlugIn {

// Value types shaped like their Windows counterparts (COLORREF, POINT, RECT, HDC).
using ColorRef = std::uint32_t;  // 0x00BBGGRR
struct ScreenPoint {
  int x = 0;
  int y = 0;
};
struct ScreenRect {  // right and bottom are exclusive
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
using DeviceContext = void*;  // the host's drawing surface for one refresh pass

constexpr int COMPATIBILITY_CODE = 8;
constexpr int TAG_COLOR_RGB_DEFINED = 1;
constexpr int CTR_DATA_TYPE_SQUAWK = 1;
constexpr int CTR_DATA_TYPE_GROUND_STATE = 6;
constexpr int REFRESH_PHASE_BACKGROUND = 0;
constexpr int REFRESH_PHASE_BEFORE_TAGS = 1;
constexpr int REFRESH_PHASE_AFTER_TAGS = 2;
constexpr int REFRESH_PHASE_AFTER_LISTS = 3;
constexpr int BUTTON_LEFT = 1;
constexpr int BUTTON_MIDDLE = 2;
constexpr int BUTTON_RIGHT = 3;
constexpr int TAG_ITEM_TEXT_SIZE =
    16;  // the host's tag item text buffer, terminating zero included

class CPlugIn;
class CRadarScreen;

class CPosition {
 public:
  double m_Latitude = 0.0;
  double m_Longitude = 0.0;
};

class ESPI_API CController {
 public:
  bool IsValid() const;
  const char* GetCallsign() const;
  const char* GetFullName() const;
  int GetFacility() const;  // 0: no controlling position

  void* m_pData = nullptr;  // host-owned
};

class ESPI_API CAircraftFlightPlan {
 public:
  bool IsValid() const;
  const char* GetOrigin() const;
  const char* GetDestination() const;
  const char* GetSidName() const;
  const char* GetStarName() const;
  const char* GetDepartureRwy() const;
  const char* GetArrivalRwy() const;
  const char* GetAircraftFPType() const;
  const char* GetEstimatedDepartureTime() const;
  const char* GetActualDepartureTime() const;

  void* m_pData = nullptr;
};

class ESPI_API CAircraftPositionData {
 public:
  bool IsValid() const;
  CPosition GetPosition() const;
  int GetReportedGS() const;  // whole knots

  void* m_pData = nullptr;
};

class ESPI_API CAircraftControllerAssignedData {
 public:
  bool IsValid() const;
  const char* GetSquawk() const;
  bool SetSquawk(const char* squawk);
  bool SetClearedAltitude(int feet);

  void* m_pData = nullptr;
};

#if defined(KESTRAVA_CLIENT_MODULE)
// In the module for the real client a route handle's data begins with the names of the route's
// first points as far as they have been read from the client (client/host_on_client.cpp), so
// that a walk along the route reads a name already read without a call.
struct ClientRouteNames {
  static constexpr int kPoints = 128;
  int count;                   // min(the route's points, kPoints)
  const char* names[kPoints];  // names[i]: point i's name once read, null before
};
#endif

class ESPI_API CAircraftExtractedRoute {
 public:
  bool IsValid() const;
  int GetPointsNumber() const;
#if defined(KESTRAVA_CLIENT_MODULE)
  const char* GetPointName(int index) const {  // "" outside 0 .. count - 1
    const auto* read = static_cast<const ClientRouteNames*>(m_pData);
    if (read != nullptr && static_cast<unsigned>(index) < static_cast<unsigned>(read->count) &&
        read->names[index] != nullptr) {
      return read->names[index];
    }
    return ReadPointName(index);
  }
#else
  const char* GetPointName(int index) const;  // "" outside 0 .. count - 1
#endif
  int GetPointsCalculatedIndex() const;

  void* m_pData = nullptr;

#if defined(KESTRAVA_CLIENT_MODULE)
 private:
  const char* ReadPointName(int index) const;  // from the client, with the names around it
#endif
};

class ESPI_API CAircraft {
 public:
  bool IsValid() const;
  const char* GetCallsign() const;
  const char* GetPilotName() const;
  const char* GetGroundState() const;
  CAircraftPositionData GetPosition() const;
  CAircraftFlightPlan GetFlightPlan() const;
  CAircraftControllerAssignedData GetControllerAssignedData() const;
  CAircraftExtractedRoute GetExtractedRoute() const;

  void* m_pData = nullptr;
};

// Base of the plug-in object. The host creates the binding when the derived object is constructed
// inside EuroScopePlugInInit and destroys it with the object.
class ESPI_API CPlugIn {
 public:
  CPlugIn(int compatibility, const char* name, const char* version, const char* author,
          const char* copyright);
  CPlugIn(const CPlugIn&) = delete;
  CPlugIn& operator=(const CPlugIn&) = delete;

  // Virtual callbacks, in the order of the host's table.
  virtual ~CPlugIn();
  virtual void OnControllerPositionUpdate(CController controller);
  virtual void OnControllerDisconnect(CController controller);
  virtual void OnAircraftPositionUpdate(CAircraft aircraft);
  virtual void OnAircraftDisconnect(CAircraft aircraft);
  virtual void OnAircraftFlightPlanUpdate(CAircraft aircraft);
  virtual void OnAircraftControllerAssignedDataUpdate(CAircraft aircraft, int dataType);
  virtual void OnAircraftFlightStripPushed(CAircraft aircraft, const char* sender,
                                           const char* target);
  virtual CRadarScreen* OnRadarScreenCreated(const char* displayName, bool needRadarContent,
                                             bool geoReferenced, bool canBeSaved,
                                             bool canBeCreated);
  virtual bool OnCompileCommand(const char* commandLine);
  virtual void OnCompileFrequencyChat(const char* sender, double frequency, const char* message);
  virtual void OnCompilePrivateChat(const char* sender, const char* receiver, const char* message);
  virtual void OnGetTagItem(CAircraft aircraft, int itemCode, int tagData,
                            char itemString[TAG_ITEM_TEXT_SIZE], int* colorCode, ColorRef* rgb,
                            double* fontSize);
  virtual void OnRefresAcListContent(CAircraft aircraft);
  virtual void OnNewMetarReceived(const char* station, const char* fullMetar);
  virtual void OnFunctionCall(int functionCode, const char* itemString, ScreenPoint point,
                              ScreenRect area);
  virtual void OnAirportRunwayActivityChanged();

  // Operations.
  const char* GetDataFromSettings(const char* key);  // null when the key is absent
  void SaveDataToSettings(const char* key, const char* description, const char* value);
  void RegisterTagItemType(const char* name, int code);
  void RegisterTagItemFunction(const char* name, int code);
  CController ControllerMyself();
  CAircraft AircraftSelect(const char* callsign);  // empty handle when unknown
  CAircraft AircraftSelectASEL();                  // empty handle when none is selected
  void OpenPopupEdit(ScreenRect area, int functionCode, const char* initialText);
  // Shows `message` from `sender` in the host's message area, under the tab `handler`.
  void DisplayUserMessage(const char* handler, const char* sender, const char* message,
                          bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                          bool startFlashing, bool needConfirmation);

  void* m_pBinding = nullptr;  // host-owned
};

// Base of a radar display's object. The host sets m_pPlugIn to the plug-in that created it.
class ESPI_API CRadarScreen {
 public:
  CRadarScreen();
  CRadarScreen(const CRadarScreen&) = delete;
  CRadarScreen& operator=(const CRadarScreen&) = delete;

  // Virtual callbacks, in the order of the host's table. There is no virtual destructor: the
  // object ends itself in OnAsrContentToBeClosed.
  virtual void OnAsrContentLoaded(bool loaded);
  virtual void OnAsrContentToBeSaved();
  virtual void OnRefresh(DeviceContext dc, int phase);
  virtual void OnAsrContentToBeClosed();
  virtual void OnControllerPositionUpdate(CController controller);
  virtual void OnControllerDisconnect(CController controller);
  virtual void OnAircraftPositionUpdate(CAircraft aircraft);
  virtual void OnAircraftDisconnect(CAircraft aircraft);
  virtual void OnAircraftFlightPlanUpdate(CAircraft aircraft);
  virtual void OnAircraftControllerAssignedDataUpdate(CAircraft aircraft, int dataType);
  virtual void OnAircraftFlightStripPushed(CAircraft aircraft, const char* sender,
                                           const char* target);
  virtual bool OnCompileCommand(const char* commandLine);
  virtual void OnOverScreenObject(int objectType, const char* objectId, ScreenPoint point,
                                  ScreenRect area);
  virtual void OnClickScreenObject(int objectType, const char* objectId, ScreenPoint point,
                                   ScreenRect area, int button);
  virtual void OnDoubleClickScreenObject(int objectType, const char* objectId, ScreenPoint point,
                                         ScreenRect area, int button);
  virtual void OnMoveScreenObject(int objectType, const char* objectId, ScreenPoint point,
                                  ScreenRect area, bool released);
  virtual void OnFunctionCall(int functionCode, const char* itemString, ScreenPoint point,
                              ScreenRect area);

  // Operations.
  const char* GetDataFromAsr(const char* key);  // null when the key is absent
  void SaveDataToAsr(const char* key, const char* description, const char* value);
  void AddScreenObject(int objectType, const char* objectId, ScreenRect area, bool moveable,
                       const char* message);
  ScreenPoint ConvertCoordFromPositionToPixel(CPosition position);
  void RequestRefresh();
  CPlugIn* GetPlugIn() const { return m_pPlugIn; }

  CPlugIn* m_pPlugIn = nullptr;  // set by the host
  void* m_pBinding = nullptr;    // host-owned
};

}  // namespace EuroScopePlugIn
