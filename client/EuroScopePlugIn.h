// The radar client's plug-in interface, as its binary interface is: classes, layouts, virtual
// tables, operations and constants, declared for the MSVC C++ ABI on 32-bit x86.
//
// Two modes:
// - importing (the default): a plug-in module; the client's library `EuroScopePlugInDll.dll`
//   provides every operation and the out-of-line members;
// - exporting (KESTRAVA_CLIENT_EXPORTING defined): a library that plays the client's part (the
//   test double) defines and exports them.
//
// Compiles on its own: with no include path and no standard library, in clang's MSVC mode. The
// Windows value types it uses are declared here unless windows.h came first.
//
// Contracts, as the client keeps them:
// - Every callback arrives on the client's user-interface thread (the voice callbacks excepted),
//   and every operation is called from it.
// - Handles are small values, valid only during the client call that produced them. Texts the
//   client returns are read-only and valid until the callback returns.
// - The plug-in object is created by the module's `EuroScopePlugInInit` and deleted by its
//   `EuroScopePlugInExit`; a radar screen object deletes itself in `OnAsrContentToBeClosed`.
// - No exception crosses this interface in either direction.
#pragma once

#if defined(KESTRAVA_CLIENT_EXPORTING)
#define KESTRAVA_CLIENT_API __declspec(dllexport)
#else
#define KESTRAVA_CLIENT_API __declspec(dllimport)
#endif

#if !defined(_WINDEF_)
typedef unsigned long COLORREF;
typedef struct tagPOINT {
  long x;
  long y;
} POINT;
typedef struct tagRECT {
  long left;
  long top;
  long right;
  long bottom;
} RECT;
struct HDC__ {
  int unused;
};
typedef struct HDC__* HDC;
#endif

class CRadarView;   // the client's own view of a display; never defined for a module
class CPlugInData;  // the client's own record of a plug-in; never defined for a module

namespace EuroScopePlugIn {

const int COMPATIBILITY_CODE = 16;

const int DEFAULT_TAG_COLOR = 0;
const int TAG_COLOR_RGB_DEFINED = 1;

const int CTR_DATA_TYPE_SQUAWK = 1;
const int CTR_DATA_TYPE_GROUND_STATE = 6;

const int REFRESH_PHASE_BACK_BITMAP = 0;
const int REFRESH_PHASE_BEFORE_TAGS = 1;
const int REFRESH_PHASE_AFTER_TAGS = 2;
const int REFRESH_PHASE_AFTER_LISTS = 3;

const int BUTTON_LEFT = 1;
const int BUTTON_MIDDLE = 2;
const int BUTTON_RIGHT = 3;

class CPlugIn;
class CRadarScreen;
class CFlightPlan;
class CRadarTarget;

class KESTRAVA_CLIENT_API CPosition {
 public:
  double m_Latitude;
  double m_Longitude;

  CPosition() {
    m_Latitude = 0.0;
    m_Longitude = 0.0;
  }
};

class KESTRAVA_CLIENT_API CFlightPlanData {
 private:
  void* m_pFlightPlan;

 public:
  CFlightPlanData() { m_pFlightPlan = nullptr; }

  const char* GetOrigin() const;
  const char* GetDestination() const;
  const char* GetSidName() const;
  const char* GetStarName() const;
  const char* GetDepartureRwy() const;
  const char* GetArrivalRwy() const;
  const char* GetAircraftFPType() const;
  const char* GetEstimatedDepartureTime() const;
  const char* GetActualDepartureTime() const;
};

class KESTRAVA_CLIENT_API CFlightPlanControllerAssignedData {
 private:
  void* m_pFlightPlan;

 public:
  CFlightPlanControllerAssignedData() { m_pFlightPlan = nullptr; }

  const char* GetSquawk() const;
  bool SetSquawk(const char* squawk);
  bool SetClearedAltitude(int altitude);
};

class KESTRAVA_CLIENT_API CFlightPlanExtractedRoute {
 private:
  void* m_pFlightPlan;

 public:
  CFlightPlanExtractedRoute() { m_pFlightPlan = nullptr; }

  int GetPointsNumber() const;
  const char* GetPointName(int index) const;
  int GetPointsCalculatedIndex() const;
};

class KESTRAVA_CLIENT_API CRadarTargetPositionData {
 private:
  void* m_pRadarTarget;
  void* m_pPosition;

 public:
  CRadarTargetPositionData() {
    m_pRadarTarget = nullptr;
    m_pPosition = nullptr;
  }
  bool IsValid() const { return m_pRadarTarget != nullptr; }

  CPosition GetPosition() const;
  int GetReportedGS() const;
};

class KESTRAVA_CLIENT_API CFlightPlan {
 private:
  void* m_pFlightPlan;

 public:
  CFlightPlan() { m_pFlightPlan = nullptr; }
  bool IsValid() const { return m_pFlightPlan != nullptr; }

  const char* GetCallsign() const;
  const char* GetPilotName() const;
  const char* GetGroundState() const;
  CRadarTarget GetCorrelatedRadarTarget() const;
  CFlightPlanData GetFlightPlanData() const;
  CFlightPlanControllerAssignedData GetControllerAssignedData() const;
  CFlightPlanExtractedRoute GetExtractedRoute() const;
};

class KESTRAVA_CLIENT_API CRadarTarget {
 private:
  void* m_pRadarTarget;

 public:
  CRadarTarget() { m_pRadarTarget = nullptr; }
  bool IsValid() const { return m_pRadarTarget != nullptr; }

  const char* GetCallsign() const;
  CFlightPlan GetCorrelatedFlightPlan() const;
  CRadarTargetPositionData GetPosition() const;
};

class KESTRAVA_CLIENT_API CController {
 private:
  void* m_pController;
  bool m_IsMyself;

 public:
  CController() {
    m_pController = nullptr;
    m_IsMyself = false;
  }
  bool IsValid() const { return m_pController != nullptr || m_IsMyself; }

  const char* GetCallsign() const;
  const char* GetFullName() const;
  int GetFacility() const;
};

class KESTRAVA_CLIENT_API CFlightPlanList {
 private:
  void* m_pList;

 public:
  CFlightPlanList() { m_pList = nullptr; }
  bool IsValid() const { return m_pList != nullptr; }
};

class KESTRAVA_CLIENT_API CGrountToAirChannel {
 private:
  int m_Index;

 public:
  CGrountToAirChannel() { m_Index = -1; }
  bool IsValid() const { return m_Index != -1; }
};

// Base of a radar display's object. The client writes the link to the plug-in that created the
// object. There is no virtual destructor: the object ends itself in OnAsrContentToBeClosed.
class KESTRAVA_CLIENT_API CRadarScreen {
 private:
  CRadarView* m_pRadarView;
  CPlugIn* m_pPlugIn;

 public:
  CRadarScreen();

  CPlugIn* GetPlugIn() { return m_pPlugIn; }

  virtual void OnAsrContentLoaded(bool loaded) {}
  virtual void OnAsrContentToBeSaved() {}
  virtual void OnRefresh(HDC dc, int phase) {}
  virtual void OnAsrContentToBeClosed() = 0;
  virtual void OnControllerPositionUpdate(CController controller) {}
  virtual void OnControllerDisconnect(CController controller) {}
  virtual void OnRadarTargetPositionUpdate(CRadarTarget radarTarget) {}
  virtual void OnFlightPlanDisconnect(CFlightPlan flightPlan) {}
  virtual void OnFlightPlanFlightPlanDataUpdate(CFlightPlan flightPlan) {}
  virtual void OnFlightPlanControllerAssignedDataUpdate(CFlightPlan flightPlan, int dataType) {}
  virtual void OnFlightPlanFlightStripPushed(CFlightPlan flightPlan, const char* sender,
                                             const char* target) {}
  virtual bool OnCompileCommand(const char* commandLine) { return false; }
  virtual void OnOverScreenObject(int objectType, const char* objectId, POINT point, RECT area) {}
  virtual void OnButtonDownScreenObject(int objectType, const char* objectId, POINT point,
                                        RECT area, int button) {}
  virtual void OnButtonUpScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                                      int button) {}
  virtual void OnClickScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                                   int button) {}
  virtual void OnDoubleClickScreenObject(int objectType, const char* objectId, POINT point,
                                         RECT area, int button) {}
  virtual void OnMoveScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                                  bool released) {}
  virtual void OnFunctionCall(int functionId, const char* itemString, POINT point, RECT area) {}

  POINT ConvertCoordFromPositionToPixel(CPosition position);
  void SaveDataToAsr(const char* variableName, const char* variableDescription, const char* value);
  const char* GetDataFromAsr(const char* variableName);
  void AddScreenObject(int objectType, const char* objectId, RECT area, bool moveable,
                       const char* message);
  void RequestRefresh();
};

// Base of the plug-in object, created by the module's EuroScopePlugInInit.
class KESTRAVA_CLIENT_API CPlugIn {
 private:
  CPlugInData* m_pPlugInData;

 public:
  CPlugIn(int compatibilityCode, const char* plugInName, const char* plugInVersion,
          const char* plugInAuthor, const char* plugInCopyright);
  virtual ~CPlugIn();

  virtual void OnControllerPositionUpdate(CController controller) {}
  virtual void OnControllerDisconnect(CController controller) {}
  virtual void OnRadarTargetPositionUpdate(CRadarTarget radarTarget) {}
  virtual void OnFlightPlanDisconnect(CFlightPlan flightPlan) {}
  virtual void OnFlightPlanFlightPlanDataUpdate(CFlightPlan flightPlan) {}
  virtual void OnPlaneInformationUpdate(const char* callsign, const char* livery,
                                        const char* planeType) {}
  virtual void OnFlightPlanControllerAssignedDataUpdate(CFlightPlan flightPlan, int dataType) {}
  virtual void OnFlightPlanFlightStripPushed(CFlightPlan flightPlan, const char* sender,
                                             const char* target) {}
  virtual CRadarScreen* OnRadarScreenCreated(const char* displayName, bool needRadarContent,
                                             bool geoReferenced, bool canBeSaved,
                                             bool canBeCreated) {
    return nullptr;
  }
  virtual bool OnCompileCommand(const char* commandLine) { return false; }
  virtual void OnCompileFrequencyChat(const char* sender, double frequency, const char* message) {}
  virtual void OnCompilePrivateChat(const char* sender, const char* receiver, const char* message) {
  }
  virtual void OnGetTagItem(CFlightPlan flightPlan, CRadarTarget radarTarget, int itemCode,
                            int tagData, char itemString[16], int* colorCode, COLORREF* rgb,
                            double* fontSize) {}
  virtual void OnRefreshFpListContent(CFlightPlanList list) {}
  virtual void OnNewMetarReceived(const char* station, const char* fullMetar) {}
  virtual void OnFunctionCall(int functionId, const char* itemString, POINT point, RECT area) {}
  virtual void OnAirportRunwayActivityChanged() {}
  virtual void OnTimer(int counter) {}
  virtual void OnVoiceTransmitStarted(bool onPrimary) {}
  virtual void OnVoiceTransmitEnded(bool onPrimary) {}
  virtual void OnVoiceReceiveStarted(CGrountToAirChannel channel) {}
  virtual void OnVoiceReceiveEnded(CGrountToAirChannel channel) {}

  void RegisterTagItemType(const char* typeName, int code);
  void RegisterTagItemFunction(const char* functionName, int code);
  void SaveDataToSettings(const char* variableName, const char* variableDescription,
                          const char* value);
  const char* GetDataFromSettings(const char* variableName);
  void OpenPopupEdit(RECT area, int functionId, const char* initialValue);
  CFlightPlan FlightPlanSelect(const char* callsign) const;
  CRadarTarget RadarTargetSelect(const char* callsign) const;
  CFlightPlan FlightPlanSelectASEL() const;
  CRadarTarget RadarTargetSelectASEL() const;
  CController ControllerMyself() const;
  void DisplayUserMessage(const char* handler, const char* sender, const char* message,
                          bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                          bool startFlashing, bool needConfirmation);
};

}  // namespace EuroScopePlugIn
