// One run of a scenario: the stand-in host with the module loaded on simulated services, the
// event log and the summary.
//
// Before every step the simulator settles: it waits until every worker has ended or sleeps on the
// simulated clock, and runs every task handed over to the host's thread, until nothing is left.
// A worker in an HTTP exchange is waited for until the exchange ends (it has its own time limit),
// so that a slow service changes nothing but the run's length; after 1 s of real time the wait
// is shown on the diagnostics stream. A worker busy otherwise is given up on after 5 s of real
// time, with a warning. Moving the clock to a step's time wakes the sleepers
// whose deadline has come, one at a time in deadline order, settling after each. Then the radar
// displays whose screen objects asked for a refresh are redrawn.
//
// Thread: the simulator's thread, which is the host's thread. Event sources added with
// AddObserver are called on it; those added with AddListener also from worker threads (notices).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/world.h"
#include "platform/env.h"
#include "tools/kestrava-sim/event_log.h"
#include "tools/kestrava-sim/exchange_watch.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/scenario.h"
#include "tools/kestrava-sim/sim_env.h"
#include "tools/kestrava-sim/step_feed.h"
#include "tools/kestrava-sim/summary.h"

namespace kestrava::sim {

class LocalSquawkService;

class Simulation final : public standin::WorldObserver, public SimEnv::Listener {
 public:
  // Creates `output_folder`/events.jsonl and runs the extensions' event sources. Check
  // events_ok(). Warnings (a worker that stays busy) go to `diagnostics`.
  Simulation(const Scenario& scenario, const Extensions& extensions,
             const std::filesystem::path& output_folder, std::ostream& diagnostics);
  ~Simulation() override;
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  bool events_ok() const { return events_.ok(); }
  const EventLog& events() const { return events_; }
  std::string events_path() const { return events_path_; }

  // Presets the scenario's settings and controller, loads the module, hands it the simulated
  // services before its entry and writes the "loaded" event. False, with `error`, when the module
  // cannot be loaded, gives no plug-in or does not take simulated services. `open` opens the
  // module (empty: the stand-in's way).
  bool Load(const std::string& module_path, std::string& error,
            const standin::ModuleOpener& open = {});
  // Plays the steps in order, each at its time. Stops early when the event log fails; throws
  // std::runtime_error after the step that left a settings file unwritten.
  void Play(StepFeed& steps);
  // Settles, unloads the plug-in when still loaded, ends the workers, writes the "settings"
  // event and closes the event log; returns whether the whole log was written. Throws as Play.
  bool Finish();

  // --- For steps and event sources -------------------------------------------------------------
  standin::World& world() { return *world_; }
  SimEnv& env() { return env_; }
  Summary& summary() { return summary_; }
  bool loaded() const { return loaded_; }
  // Writes an event at the current simulated time.
  void Event(std::string_view name, const Json& fields = nullptr);
  // Settles, calls the module's exit and writes the "unloaded" event.
  void Unload();
  void Settle();
  void AddObserver(std::unique_ptr<standin::WorldObserver> observer);
  void AddListener(std::unique_ptr<SimEnv::Listener> listener);
  // The scenario's plug-in settings, in the file's order, and where warnings go.
  const std::vector<std::pair<std::string, std::string>>& scenario_settings() const {
    return settings_;
  }
  // The local squawk service's rules file, or empty.
  const std::string& squawk_rules() const { return squawk_rules_; }
  std::ostream& diagnostics() { return diagnostics_; }
  // The local squawk service the plug-in is pointed at, kept as long as the simulation lives;
  // null when the scenario names a service of its own or none could be started.
  void KeepSquawkService(std::unique_ptr<LocalSquawkService> service);
  LocalSquawkService* squawk_service() { return squawk_service_.get(); }

  // Files the plug-in appended lines to (as it named them), with the folder they went to and the
  // number of lines, for the report.
  struct WrittenFile {
    std::string resolved_path;
    int lines = 0;
  };
  std::map<std::string, WrittenFile> written_files();

  // --- standin::WorldObserver, SimEnv::Listener: forwarded to the event sources ------------------
  void SettingsSaved(const std::string& key, const std::string& description,
                     const char* value) override;
  void SquawkSet(const std::string& callsign, const std::string& code) override;
  void ClearedAltitudeSet(const std::string& callsign, int feet) override;
  void PopupEditOpened(const standin::PopupEdit& popup) override;
  void UserMessageShown(const standin::UserMessage& message) override;
  void DisplaySettingsSaved(const std::string& display, const std::string& key,
                            const std::string& description, const char* value) override;
  void SettingsNotWritten(const std::string& path) override;
  void NoticeShown(const std::string& caption, const std::string& text) override;
  void ClipboardSet(const std::string& text) override;
  void AlarmPlayed(const std::string& display) override;
  void LineAppended(const std::string& path, std::string_view line, bool appended) override;
  void DialogOpened(const std::string& caption, const std::vector<ControlState>& controls) override;
  void DialogMessage(const std::string& caption, const std::string& text) override;
  void ColourDialogShown(const ColourRequest& request, std::optional<ColorRef> answer) override;
  void SaveFileDialogShown(const SaveFileRequest& request,
                           const std::optional<std::string>& answer) override;
  void DialogClosed(const std::string& caption, int result,
                    const std::vector<ControlState>& controls) override;

 private:
  void AdvanceTo(std::int64_t unix_millis);
  // Waits until every worker is idle (see above).
  void WaitForWorkers();
  // Between the module's exit and its closing: waits until the workers' threads have ended.
  void LeaveModule();
  // Throws when a settings file could not be written since the run began.
  void CheckSettingsWritten();

  std::ostream& diagnostics_;
  std::filesystem::path output_folder_;
  std::string events_path_;
  EventLog events_;
  ExchangeWatch exchanges_;
  SimEnv env_;
  Summary summary_;
  std::vector<std::unique_ptr<standin::WorldObserver>> observers_;
  std::vector<std::unique_ptr<SimEnv::Listener>> listeners_;
  std::mutex files_mutex_;
  std::map<std::string, WrittenFile> written_files_;  // guarded by files_mutex_
  std::int64_t start_unix_millis_;
  std::vector<std::pair<std::string, std::string>> settings_;
  std::string squawk_rules_;
  standin::Controller controller_;
  bool loaded_ = false;
  std::string unwritten_settings_;  // the first settings file that could not be written
  std::unique_ptr<LocalSquawkService> squawk_service_;
  std::unique_ptr<standin::World> world_;  // last: unloads the module before the rest goes
};

}  // namespace kestrava::sim
