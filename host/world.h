// The stand-in host: everything the radar client keeps that a plug-in can see through the host
// interface (controller, aircraft with flight plans and assigned data, selection, popup editor,
// plug-in settings, tag registrations, radar displays), and the calls that deliver host events
// to the loaded plug-in.
//
// One World exists at a time; CPlugIn and CRadarScreen objects attach to it when constructed.
// Thread: the host's thread only, the thread that created the World. Notifications the plug-in
// causes through host operations (a squawk it sets) are queued and delivered after the current
// outermost callback returns, as the real host reports them later.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/desktop.h"
#include "host/display_list.h"
#include "host/module_loader.h"
#include "host/settings_store.h"
#include "plugin/EuroScopePlugIn.h"

namespace standin {

struct FlightPlan {
  std::string origin, destination, sid, star, departure_rwy, arrival_rwy, aircraft_type;
  std::string estimated_departure_time, actual_departure_time;
};

struct Aircraft {
  std::string callsign;
  std::string pilot_name;
  std::string ground_state;
  EuroScopePlugIn::CPosition position;
  int reported_gs = 0;
  FlightPlan flight_plan;
  std::string squawk;
  int cleared_altitude = 0;
  std::vector<std::string> route;
  int route_calculated_index = 0;
  class World* world = nullptr;
};

struct Controller {
  std::string callsign = "EGLL_TWR";
  std::string full_name = "Test Controller";
  int facility = 4;
};

struct TagItemAnswer {
  std::string text;    // the text the plug-in wrote ("" when none)
  int color_code = 0;  // as left by the plug-in (the host passes 0)
  EuroScopePlugIn::ColorRef rgb = 0;
};

struct PopupEdit {
  int function_code = 0;
  std::string initial_text;
  EuroScopePlugIn::ScreenRect area;
};

// A message the plug-in showed in the host's message area, with its flags.
struct UserMessage {
  std::string handler;
  std::string sender;
  std::string message;
  bool show_handler = false;
  bool show_unread = false;
  bool show_unread_even_if_busy = false;
  bool start_flashing = false;
  bool need_confirmation = false;

  friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

// What the stand-in host reports to whoever drives it (the simulator, tests). Every method has
// an empty default.
class WorldObserver {
 public:
  virtual ~WorldObserver() = default;
  virtual void SettingsSaved(const std::string& /*key*/, const std::string& /*description*/,
                             const char* /*value*/) {}
  virtual void SquawkSet(const std::string& /*callsign*/, const std::string& /*code*/) {}
  virtual void ClearedAltitudeSet(const std::string& /*callsign*/, int /*feet*/) {}
  virtual void PopupEditOpened(const PopupEdit& /*popup*/) {}
  virtual void UserMessageShown(const UserMessage& /*message*/) {}
  virtual void DisplaySettingsSaved(const std::string& /*display*/, const std::string& /*key*/,
                                    const std::string& /*description*/, const char* /*value*/) {}
  // A settings file (the plug-in's or a display's) could not be written; the change stays in
  // memory only.
  virtual void SettingsNotWritten(const std::string& /*path*/) {}
};

// The host's side of a CPlugIn: its settings and registrations.
struct PlugInBinding {
  class World* world = nullptr;
  EuroScopePlugIn::CPlugIn* plugin = nullptr;
  std::string name;     // as given to the CPlugIn constructor
  std::string version;  // as given to the CPlugIn constructor
  std::vector<std::pair<std::string, int>> tag_items;
  std::vector<std::pair<std::string, int>> tag_functions;
};

class World {
 public:
  // `settings_path` is the plug-in settings file ("" keeps the settings in memory only).
  explicit World(std::string settings_path = "");
  ~World();  // unloads a loaded module
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // The World that plug-in and screen objects attach to; null when there is none.
  static World* Current();

  // --- Host state -----------------------------------------------------------------------------
  Controller& controller() { return controller_; }
  SettingsStore& settings() { return *settings_; }
  // Replaces the settings store (before a plug-in loads), e.g. with a fault-injecting one.
  void UseSettings(std::unique_ptr<SettingsStore> store) { settings_ = std::move(store); }
  void SetObserver(WorldObserver* observer) { observer_ = observer; }
  WorldObserver* observer() { return observer_; }

  // Creates the aircraft when new; the record stays valid until RemoveAircraft.
  Aircraft& AddOrGetAircraft(const std::string& callsign);
  Aircraft* FindAircraft(const std::string& callsign);
  void RemoveAircraft(const std::string& callsign);
  std::vector<std::string> Callsigns() const;  // in order of creation

  void Select(const std::string& callsign);  // "" for none
  Aircraft* Selected();
  const std::optional<PopupEdit>& popup() const { return popup_; }
  // Every message the plug-in showed, oldest first.
  const std::vector<UserMessage>& user_messages() const { return user_messages_; }

  // --- Plug-in module -------------------------------------------------------------------------
  // Loads the module and calls its entry. `before_init` runs between loading and the entry, with
  // the module (to hand it services through an export of its own). Returns false and sets
  // `error` when the module cannot be loaded, lacks the entry or gives no plug-in.
  bool LoadPlugIn(const std::string& path, std::string& error,
                  const std::function<void(PlugInModule&)>& before_init = {});
  // How LoadPlugIn opens a module (default: PlugInModule::Open).
  void SetModuleOpener(ModuleOpener opener) { open_module_ = std::move(opener); }
  // Calls the module's exit, then closes the module. Does nothing when none is loaded.
  // `before_close` runs between the exit and the closing: threads the host program started for
  // the module's workers must have left the module's code by then.
  void UnloadPlugIn(const std::function<void()>& before_close = {});
  // Uses a plug-in object constructed in this process (tests); the World does not own it.
  void AttachPlugIn(EuroScopePlugIn::CPlugIn* plugin);
  EuroScopePlugIn::CPlugIn* plugin() const { return plugin_; }
  PlugInBinding* binding() const;

  // --- Events delivered to the plug-in ----------------------------------------------------------
  // Sets the aircraft's radar position and speed, then reports it.
  void ReportPosition(const std::string& callsign, EuroScopePlugIn::CPosition position, int gs);
  // Reports the disconnect, then forgets the aircraft.
  void Disconnect(const std::string& callsign);
  void ReportFlightPlanUpdate(const std::string& callsign);
  void ReportAssignedDataUpdate(const std::string& callsign, int data_type);
  // Sets the ground state and reports it as assigned-data type 6.
  void SetGroundState(const std::string& callsign, const std::string& state);
  // Sets the squawk as a controller would and reports it as assigned-data type 1.
  void ControllerSetsSquawk(const std::string& callsign, const std::string& code);
  // Asks for one tag item through a 16-byte text buffer.
  TagItemAnswer GetTagItem(const std::string& callsign, int item_code);
  // The controller invokes a tag function (on the selected aircraft).
  void CallFunction(int function_code, const std::string& item_text = "",
                    EuroScopePlugIn::ScreenRect area = {});
  // The controller types `text` into the open popup editor and presses Enter. Returns false when
  // no editor is open.
  bool AnswerPopup(const std::string& text);
  // Offers a typed line to the plug-in, then (when it declines) to the displays' screen objects.
  // Returns whether it was handled.
  bool CompileCommand(const std::string& line);

  // --- Radar displays ---------------------------------------------------------------------------
  DisplayList& displays() { return displays_; }

  // --- Used by the host-interface implementation --------------------------------------------
  PlugInBinding* AttachBinding(EuroScopePlugIn::CPlugIn* plugin);
  void DetachBinding(EuroScopePlugIn::CPlugIn* plugin);
  void OpenPopup(PopupEdit popup);
  void UserMessageShown(UserMessage message);
  void SquawkSetByPlugIn(Aircraft& aircraft, const std::string& code);
  void ClearedAltitudeSetByPlugIn(Aircraft& aircraft, int feet);
  void PluginSavedSetting(const std::string& key, const std::string& description,
                          const char* value);

 private:
  friend class DisplayList;  // delivers the display callbacks

  // Runs `call` as an outermost host callback, then delivers queued notifications.
  void Deliver(const std::function<void()>& call);

  Controller controller_;
  std::unique_ptr<SettingsStore> settings_;
  std::map<std::string, std::unique_ptr<Aircraft>> aircraft_;
  std::vector<std::string> creation_order_;
  std::string selected_;
  std::optional<PopupEdit> popup_;
  std::vector<UserMessage> user_messages_;
  WorldObserver* observer_ = nullptr;

  ModuleOpener open_module_;
  std::unique_ptr<PlugInModule> module_;
  EuroScopePlugIn::CPlugIn* plugin_ = nullptr;
  std::unique_ptr<PlugInBinding> binding_;
  DisplayList displays_{*this};

  int depth_ = 0;
  std::deque<std::pair<std::string, int>> pending_assigned_data_;
};

}  // namespace standin
