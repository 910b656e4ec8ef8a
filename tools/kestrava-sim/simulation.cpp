#include "tools/kestrava-sim/simulation.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <utility>

#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

constexpr auto kIdleWait = std::chrono::seconds(5);
constexpr auto kSlowServiceNotice = std::chrono::seconds(1);
constexpr auto kWaitSlice = std::chrono::milliseconds(100);
constexpr char kUseEnvExport[] = "KestravaUseEnv";
using UseEnvFunction = void (*)(Env*);

Json Registrations(const std::vector<std::pair<std::string, int>>& registrations) {
  Json list = Json::array();
  for (const auto& [name, code] : registrations) list.push_back(Json::array({code, name}));
  return list;
}

}  // namespace

Simulation::Simulation(const Scenario& scenario, const Extensions& extensions,
                       const std::filesystem::path& output_folder, std::ostream& diagnostics)
    : diagnostics_(diagnostics),
      output_folder_(output_folder),
      events_path_((output_folder / "events.jsonl").string()),
      events_(events_path_),
      exchanges_(Env::Default()),
      env_(exchanges_, scenario.start_unix_millis, output_folder),
      summary_(extensions.summary_columns),
      start_unix_millis_(scenario.start_unix_millis),
      settings_(scenario.settings),
      squawk_rules_(scenario.squawk_rules),
      controller_(scenario.controller),
      world_(std::make_unique<standin::World>()) {
  env_.SetListener(this);
  world_->SetObserver(this);
  for (const auto& install : extensions.event_sources) install(*this);
}

Simulation::~Simulation() {
  if (loaded_) world_->UnloadPlugIn([this] { LeaveModule(); });
  world_.reset();
  env_.SetListener(nullptr);
}

void Simulation::KeepSquawkService(std::unique_ptr<LocalSquawkService> service) {
  squawk_service_ = std::move(service);
}

void Simulation::AddObserver(std::unique_ptr<standin::WorldObserver> observer) {
  observers_.push_back(std::move(observer));
}

void Simulation::AddListener(std::unique_ptr<SimEnv::Listener> listener) {
  listeners_.push_back(std::move(listener));
}

void Simulation::Event(std::string_view name, const Json& fields) {
  events_.Write(env_.ElapsedMillis(), name, fields);
}

bool Simulation::Load(const std::string& module_path, std::string& error,
                      const standin::ModuleOpener& open) {
  world_->SetModuleOpener(open);
  world_->controller() = controller_;
  for (const auto& [key, value] : settings_) world_->settings().Preset(key, value);
  UseEnvFunction use_env = nullptr;
  const bool ok = world_->LoadPlugIn(module_path, error, [&](standin::PlugInModule& module) {
    use_env = reinterpret_cast<UseEnvFunction>(module.Symbol(kUseEnvExport));
    if (use_env != nullptr) use_env(&env_);
  });
  if (!ok) return false;
  if (use_env != nullptr) {
    // The plug-in object holds the services now. The module forgets them, so that a later load
    // in this process does not find them gone (a Linux module can stay mapped after unloading).
    use_env(nullptr);
  } else {
    // Loaded on the module's own services, real time: unusable for a reproducible run.
    world_->UnloadPlugIn();
    error = "the module '" + module_path + "' does not export " + kUseEnvExport +
            ", so it cannot run on simulated time";
    return false;
  }
  loaded_ = true;
  const standin::PlugInBinding* binding = world_->binding();
  Json fields = Json::object();
  fields["name"] = binding != nullptr ? binding->name : "";
  fields["version"] = binding != nullptr ? binding->version : "";
  fields["tag_items"] =
      Registrations(binding != nullptr ? binding->tag_items : decltype(binding->tag_items){});
  fields["tag_functions"] = Registrations(binding != nullptr ? binding->tag_functions
                                                             : decltype(binding->tag_functions){});
  Event("loaded", fields);
  return true;
}

void Simulation::WaitForWorkers() {
  if (env_.WaitIdle(std::chrono::milliseconds(0))) return;  // the usual case: at once
  const auto begin = std::chrono::steady_clock::now();
  bool told = false;
  while (!env_.WaitIdle(kWaitSlice)) {
    const auto waited = std::chrono::steady_clock::now() - begin;
    const std::vector<ExchangeWatch::Exchange> exchanges = exchanges_.InProgress();
    if (!exchanges.empty()) {
      if (!told && waited >= kSlowServiceNotice) {
        const std::string& url = exchanges.front().url;
        diagnostics_ << "kestrava-sim: t = " << EventLog::Seconds(env_.ElapsedMillis()).dump()
                     << ": waiting for a slow service: " << url.substr(0, url.find('?'))
                     << " has not answered after "
                     << std::chrono::duration_cast<std::chrono::seconds>(waited).count()
                     << " s of real time (an exchange ends within 10 s)\n";
        told = true;
      }
      continue;
    }
    if (waited >= kIdleWait) {
      diagnostics_ << "kestrava-sim: warning: a worker is still busy after "
                   << std::chrono::duration_cast<std::chrono::seconds>(kIdleWait).count()
                   << " s of real time at t = " << EventLog::Seconds(env_.ElapsedMillis()).dump()
                   << "; going on without it\n";
      return;
    }
  }
}

void Simulation::Settle() {
  for (;;) {
    WaitForWorkers();
    if (env_.RunPostedTasks() == 0) return;
  }
}

void Simulation::AdvanceTo(std::int64_t unix_millis) {
  Settle();
  while (env_.WakeNextSleeperDueBy(unix_millis)) Settle();
  env_.SetNow(unix_millis);
}

void Simulation::Play(StepFeed& steps) {
  ScenarioStep step;
  std::optional<std::int64_t> clock;
  while (events_.ok() && steps.Next(step)) {
    const std::int64_t at = start_unix_millis_ + step.t_millis;
    // At the same time as the step before, there is no sleeper to wake.
    if (clock != at) AdvanceTo(at);
    clock = at;
    Settle();
    // The displays whose screen objects asked for a refresh are drawn before the next step.
    world_->displays().RedrawRequested();
    step.action(*this);
    CheckSettingsWritten();
  }
}

void Simulation::CheckSettingsWritten() {
  if (unwritten_settings_.empty()) return;
  throw std::runtime_error("t = " + EventLog::Seconds(env_.ElapsedMillis()).dump() +
                           ": cannot write the settings file '" + unwritten_settings_ +
                           "'; the run stopped there");
}

void Simulation::Unload() {
  if (!loaded_) return;
  Settle();
  world_->UnloadPlugIn([this] { LeaveModule(); });
  loaded_ = false;
  Event("unloaded");
}

void Simulation::LeaveModule() {
  // The exit has stopped the workers, but their threads are the simulator's: the module cannot
  // join them, and one may still be returning through the module's code when the exit returns.
  // Finish reports a worker that does not end.
  env_.JoinWorkers(kIdleWait);
}

bool Simulation::Finish() {
  Settle();
  Unload();
  CheckSettingsWritten();
  if (!env_.JoinWorkers(kIdleWait)) {
    diagnostics_ << "kestrava-sim: warning: a worker was still running after the plug-in "
                    "was unloaded\n";
  }
  Json values = Json::object();
  for (const auto& [key, entry] : world_->settings().entries()) values[key] = entry.value;
  Event("settings", Json{{"values", values}});
  return events_.Close();
}

std::map<std::string, Simulation::WrittenFile> Simulation::written_files() {
  std::lock_guard lock(files_mutex_);
  return written_files_;
}

// --- Forwarding to the event sources -------------------------------------------------------------

void Simulation::SettingsSaved(const std::string& key, const std::string& description,
                               const char* value) {
  for (auto& o : observers_) o->SettingsSaved(key, description, value);
}
void Simulation::SquawkSet(const std::string& callsign, const std::string& code) {
  for (auto& o : observers_) o->SquawkSet(callsign, code);
}
void Simulation::ClearedAltitudeSet(const std::string& callsign, int feet) {
  for (auto& o : observers_) o->ClearedAltitudeSet(callsign, feet);
}
void Simulation::PopupEditOpened(const standin::PopupEdit& popup) {
  for (auto& o : observers_) o->PopupEditOpened(popup);
}
void Simulation::UserMessageShown(const standin::UserMessage& message) {
  for (auto& o : observers_) o->UserMessageShown(message);
}
void Simulation::DisplaySettingsSaved(const std::string& display, const std::string& key,
                                      const std::string& description, const char* value) {
  for (auto& o : observers_) o->DisplaySettingsSaved(display, key, description, value);
}
void Simulation::SettingsNotWritten(const std::string& path) {
  if (unwritten_settings_.empty()) unwritten_settings_ = path;
}
void Simulation::NoticeShown(const std::string& caption, const std::string& text) {
  for (auto& l : listeners_) l->NoticeShown(caption, text);
}
void Simulation::ClipboardSet(const std::string& text) {
  for (auto& l : listeners_) l->ClipboardSet(text);
}
void Simulation::AlarmPlayed(const std::string& display) {
  for (auto& l : listeners_) l->AlarmPlayed(display);
}
void Simulation::LineAppended(const std::string& path, std::string_view line, bool appended) {
  if (appended) {
    std::lock_guard lock(files_mutex_);
    WrittenFile& file = written_files_[path];
    file.resolved_path = env_.ResolvePath(path);
    ++file.lines;
  }
  for (auto& l : listeners_) l->LineAppended(path, line, appended);
}
void Simulation::DialogOpened(const std::string& caption,
                              const std::vector<ControlState>& controls) {
  for (auto& l : listeners_) l->DialogOpened(caption, controls);
}
void Simulation::DialogMessage(const std::string& caption, const std::string& text) {
  for (auto& l : listeners_) l->DialogMessage(caption, text);
}
void Simulation::ColourDialogShown(const ColourRequest& request, std::optional<ColorRef> answer) {
  for (auto& l : listeners_) l->ColourDialogShown(request, answer);
}
void Simulation::SaveFileDialogShown(const SaveFileRequest& request,
                                     const std::optional<std::string>& answer) {
  for (auto& l : listeners_) l->SaveFileDialogShown(request, answer);
}
void Simulation::DialogClosed(const std::string& caption, int result,
                              const std::vector<ControlState>& controls) {
  for (auto& l : listeners_) l->DialogClosed(caption, result, controls);
}

}  // namespace kestrava::sim
