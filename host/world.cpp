#include "host/world.h"

#include <algorithm>
#include <cstring>

namespace standin {
namespace {

World* g_current = nullptr;

using InitFunction = void (*)(EuroScopePlugIn::CPlugIn**);
using ExitFunction = void (*)();

EuroScopePlugIn::CAircraft HandleOf(Aircraft* aircraft) {
  EuroScopePlugIn::CAircraft handle;
  handle.m_pData = aircraft;
  return handle;
}

}  // namespace

World::World(std::string settings_path)
    : settings_(std::make_unique<SettingsStore>(std::move(settings_path))) {
  g_current = this;
}

World::~World() {
  UnloadPlugIn();
  displays_.CloseScreens();  // of a plug-in object attached by a test
  if (g_current == this) g_current = nullptr;
}

World* World::Current() { return g_current; }

Aircraft& World::AddOrGetAircraft(const std::string& callsign) {
  auto& slot = aircraft_[callsign];
  if (!slot) {
    slot = std::make_unique<Aircraft>();
    slot->callsign = callsign;
    slot->world = this;
    creation_order_.push_back(callsign);
  }
  return *slot;
}

Aircraft* World::FindAircraft(const std::string& callsign) {
  const auto it = aircraft_.find(callsign);
  return it == aircraft_.end() ? nullptr : it->second.get();
}

void World::RemoveAircraft(const std::string& callsign) {
  aircraft_.erase(callsign);
  creation_order_.erase(std::remove(creation_order_.begin(), creation_order_.end(), callsign),
                        creation_order_.end());
  if (selected_ == callsign) selected_.clear();
}

std::vector<std::string> World::Callsigns() const { return creation_order_; }

void World::Select(const std::string& callsign) { selected_ = callsign; }

Aircraft* World::Selected() { return selected_.empty() ? nullptr : FindAircraft(selected_); }

bool World::LoadPlugIn(const std::string& path, std::string& error,
                       const std::function<void(PlugInModule&)>& before_init) {
  if (plugin_ != nullptr) {
    error = "a plug-in is already loaded";
    return false;
  }
  auto module = open_module_ ? open_module_(path, error) : PlugInModule::Open(path, error);
  if (!module) return false;
  auto init = reinterpret_cast<InitFunction>(module->Symbol("EuroScopePlugInInit"));
  if (init == nullptr || module->Symbol("EuroScopePlugInExit") == nullptr) {
    error = "'" + path +
            "' is not a plug-in module: it does not export EuroScopePlugInInit and "
            "EuroScopePlugInExit";
    return false;
  }
  if (before_init) before_init(*module);
  EuroScopePlugIn::CPlugIn* plugin = nullptr;
  ++depth_;
  init(&plugin);
  --depth_;
  if (plugin == nullptr) {
    error = "the plug-in module '" + path + "' gave no plug-in object";
    auto exit = reinterpret_cast<ExitFunction>(module->Symbol("EuroScopePlugInExit"));
    exit();
    return false;
  }
  module_ = std::move(module);
  plugin_ = plugin;
  return true;
}

void World::UnloadPlugIn(const std::function<void()>& before_close) {
  if (!module_) return;
  // The screen objects are the module's: they end before it goes.
  displays_.CloseScreens();
  auto exit = reinterpret_cast<ExitFunction>(module_->Symbol("EuroScopePlugInExit"));
  ++depth_;
  exit();
  --depth_;
  plugin_ = nullptr;
  binding_.reset();
  // Tasks the module handed to the host's thread hold its code: they are run out (its workers
  // have stopped, so they do nothing) before the module goes.
  TheDesktop().RunPostedTasks();
  if (before_close) before_close();
  module_.reset();
}

void World::AttachPlugIn(EuroScopePlugIn::CPlugIn* plugin) { plugin_ = plugin; }

PlugInBinding* World::binding() const { return binding_.get(); }

PlugInBinding* World::AttachBinding(EuroScopePlugIn::CPlugIn* plugin) {
  binding_ = std::make_unique<PlugInBinding>();
  binding_->world = this;
  binding_->plugin = plugin;
  return binding_.get();
}

void World::DetachBinding(EuroScopePlugIn::CPlugIn* plugin) {
  if (binding_ && binding_->plugin == plugin) {
    displays_.CloseScreens();
    binding_.reset();
  }
  if (plugin_ == plugin) plugin_ = nullptr;
}

void World::Deliver(const std::function<void()>& call) {
  if (plugin_ == nullptr) return;
  ++depth_;
  call();
  --depth_;
  if (depth_ != 0) return;
  while (!pending_assigned_data_.empty() && plugin_ != nullptr) {
    auto [callsign, type] = pending_assigned_data_.front();
    pending_assigned_data_.pop_front();
    Aircraft* aircraft = FindAircraft(callsign);
    if (aircraft == nullptr) continue;
    ++depth_;
    plugin_->OnAircraftControllerAssignedDataUpdate(HandleOf(aircraft), type);
    --depth_;
  }
}

void World::ReportPosition(const std::string& callsign, EuroScopePlugIn::CPosition position,
                           int gs) {
  Aircraft& aircraft = AddOrGetAircraft(callsign);
  aircraft.position = position;
  aircraft.reported_gs = gs;
  Deliver([&] { plugin_->OnAircraftPositionUpdate(HandleOf(&aircraft)); });
}

void World::Disconnect(const std::string& callsign) {
  if (Aircraft* aircraft = FindAircraft(callsign)) {
    Deliver([&] { plugin_->OnAircraftDisconnect(HandleOf(aircraft)); });
    RemoveAircraft(callsign);
  }
}

void World::ReportFlightPlanUpdate(const std::string& callsign) {
  if (Aircraft* aircraft = FindAircraft(callsign)) {
    Deliver([&] { plugin_->OnAircraftFlightPlanUpdate(HandleOf(aircraft)); });
  }
}

void World::ReportAssignedDataUpdate(const std::string& callsign, int data_type) {
  if (Aircraft* aircraft = FindAircraft(callsign)) {
    Deliver(
        [&] { plugin_->OnAircraftControllerAssignedDataUpdate(HandleOf(aircraft), data_type); });
  }
}

void World::SetGroundState(const std::string& callsign, const std::string& state) {
  AddOrGetAircraft(callsign).ground_state = state;
  ReportAssignedDataUpdate(callsign, EuroScopePlugIn::CTR_DATA_TYPE_GROUND_STATE);
}

void World::ControllerSetsSquawk(const std::string& callsign, const std::string& code) {
  AddOrGetAircraft(callsign).squawk = code;
  ReportAssignedDataUpdate(callsign, EuroScopePlugIn::CTR_DATA_TYPE_SQUAWK);
}

TagItemAnswer World::GetTagItem(const std::string& callsign, int item_code) {
  TagItemAnswer answer;
  Aircraft* aircraft = FindAircraft(callsign);
  if (aircraft == nullptr) return answer;
  // Exactly the host's buffer size, so a write past it is caught by the sanitizers.
  auto text = std::make_unique<char[]>(EuroScopePlugIn::TAG_ITEM_TEXT_SIZE);
  text[0] = '\0';
  double font_size = 0.0;
  Deliver([&] {
    plugin_->OnGetTagItem(HandleOf(aircraft), item_code, 0, text.get(), &answer.color_code,
                          &answer.rgb, &font_size);
  });
  answer.text.assign(text.get(), strnlen(text.get(), EuroScopePlugIn::TAG_ITEM_TEXT_SIZE));
  return answer;
}

void World::CallFunction(int function_code, const std::string& item_text,
                         EuroScopePlugIn::ScreenRect area) {
  Deliver([&] { plugin_->OnFunctionCall(function_code, item_text.c_str(), {}, area); });
}

bool World::AnswerPopup(const std::string& text) {
  if (!popup_) return false;
  const PopupEdit popup = *popup_;
  popup_.reset();
  CallFunction(popup.function_code, text, popup.area);
  return true;
}

bool World::CompileCommand(const std::string& line) {
  bool handled = false;
  Deliver([&] { handled = plugin_->OnCompileCommand(line.c_str()); });
  return handled || displays_.OfferCommand(line);
}

void World::OpenPopup(PopupEdit popup) {
  popup_ = popup;
  if (observer_ != nullptr) observer_->PopupEditOpened(popup);
}

void World::UserMessageShown(UserMessage message) {
  user_messages_.push_back(std::move(message));
  if (observer_ != nullptr) observer_->UserMessageShown(user_messages_.back());
}

void World::SquawkSetByPlugIn(Aircraft& aircraft, const std::string& code) {
  aircraft.squawk = code;
  if (observer_ != nullptr) observer_->SquawkSet(aircraft.callsign, code);
  pending_assigned_data_.emplace_back(aircraft.callsign, EuroScopePlugIn::CTR_DATA_TYPE_SQUAWK);
  if (depth_ == 0) Deliver([] {});
}

void World::ClearedAltitudeSetByPlugIn(Aircraft& aircraft, int feet) {
  aircraft.cleared_altitude = feet;
  if (observer_ != nullptr) observer_->ClearedAltitudeSet(aircraft.callsign, feet);
}

void World::PluginSavedSetting(const std::string& key, const std::string& description,
                               const char* value) {
  const bool written = settings_->Set(key, description, value);
  if (observer_ != nullptr) {
    observer_->SettingsSaved(key, description, value);
    if (!written) observer_->SettingsNotWritten(settings_->path());
  }
}

}  // namespace standin
