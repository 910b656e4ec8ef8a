#include "host/display_list.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "host/world.h"

namespace standin {
namespace {

constexpr Pixel kBackground{24, 32, 40};
constexpr Pixel kAircraftSymbol{110, 220, 120};
constexpr Pixel kCallsign{200, 210, 220};
constexpr int kSymbolHalfSide = 3;

// A hollow square centred on the aircraft, with its callsign above to the right.
void DrawAircraftSymbol(DisplayCanvas& canvas, EuroScopePlugIn::ScreenPoint p,
                        const std::string& callsign) {
  const int l = p.x - kSymbolHalfSide;
  const int t = p.y - kSymbolHalfSide;
  const int r = p.x + kSymbolHalfSide + 1;
  const int b = p.y + kSymbolHalfSide + 1;
  canvas.Fill({l, t, r, t + 1}, kAircraftSymbol);
  canvas.Fill({l, b - 1, r, b}, kAircraftSymbol);
  canvas.Fill({l, t, l + 1, b}, kAircraftSymbol);
  canvas.Fill({r - 1, t, r, b}, kAircraftSymbol);
  canvas.Text(r + 2, t - 15, callsign, kCallsign);
}

// Computed in 64 bits: a rectangle may span more than half the 32-bit range.
EuroScopePlugIn::ScreenPoint CentreOf(const EuroScopePlugIn::ScreenRect& area) {
  const auto middle = [](std::int64_t low, std::int64_t high) {
    return static_cast<int>(low + (high - low) / 2);
  };
  return {middle(area.left, area.right), middle(area.top, area.bottom)};
}

}  // namespace

Display* DisplayList::Open(const DisplayOptions& options, std::string& error) {
  if (options.name.empty()) {
    error = "a display needs a name";
    return nullptr;
  }
  if (Find(options.name) != nullptr) {
    error = "a display named '" + options.name + "' is already open";
    return nullptr;
  }
  std::unique_ptr<Display> made;
  try {
    made = std::make_unique<Display>(world_, options);
  } catch (const std::exception& e) {
    error = "cannot open display '" + options.name + "': " + e.what();
    return nullptr;
  }
  Display* display = displays_.emplace_back(std::move(made)).get();
  if (EuroScopePlugIn::CPlugIn* plugin = world_.plugin()) {
    EuroScopePlugIn::CRadarScreen* screen = nullptr;
    world_.Deliver([&] {
      screen = plugin->OnRadarScreenCreated(options.name.c_str(), true, true, true, true);
    });
    if (screen != nullptr) {
      screen->m_pPlugIn = plugin;
      screen->m_pBinding = display;
      display->SetScreen(screen);
      world_.Deliver([&] { screen->OnAsrContentLoaded(true); });
    }
  }
  return display;
}

Display* DisplayList::Find(const std::string& name) {
  const auto it = std::find_if(displays_.begin(), displays_.end(),
                               [&](const auto& d) { return d->name() == name; });
  return it == displays_.end() ? nullptr : it->get();
}

std::vector<std::string> DisplayList::Names() const {
  std::vector<std::string> names;
  for (const auto& d : displays_) names.push_back(d->name());
  return names;
}

void DisplayList::Redraw(Display& display) {
  display.BeginRedraw();
  DisplayCanvas& canvas = display.canvas();
  EuroScopePlugIn::CRadarScreen* screen = display.screen();
  const auto phase = [&](int number) {
    if (display.screen() != nullptr)
      world_.Deliver([&] { screen->OnRefresh(canvas.dc(), number); });
  };
  canvas.Fill({0, 0, canvas.width(), canvas.height()}, kBackground);
  phase(EuroScopePlugIn::REFRESH_PHASE_BACKGROUND);
  for (const std::string& callsign : world_.Callsigns()) {
    if (const Aircraft* aircraft = world_.FindAircraft(callsign)) {
      DrawAircraftSymbol(canvas, display.ToPixel(aircraft->position), callsign);
    }
  }
  phase(EuroScopePlugIn::REFRESH_PHASE_BEFORE_TAGS);
  phase(EuroScopePlugIn::REFRESH_PHASE_AFTER_TAGS);
  phase(EuroScopePlugIn::REFRESH_PHASE_AFTER_LISTS);
}

int DisplayList::RedrawRequested() {
  int redrawn = 0;
  for (const auto& d : displays_) {
    if (!d->refresh_requested()) continue;
    Redraw(*d);
    ++redrawn;
  }
  return redrawn;
}

bool DisplayList::Snapshot(const std::string& name, const std::string& path) {
  Display* display = Find(name);
  if (display == nullptr) return false;
  Redraw(*display);
  return display->canvas().SavePng(path);
}

bool DisplayList::Click(const std::string& name, int type, int button) {
  Display* display = Find(name);
  if (display == nullptr || display->screen() == nullptr) return false;
  const ScreenObject* found = display->LastObjectOfType(type);
  if (found == nullptr) return false;
  const ScreenObject object = *found;  // the screen may register objects while it runs
  EuroScopePlugIn::CRadarScreen* screen = display->screen();
  world_.Deliver([&] {
    screen->OnClickScreenObject(object.type, object.id.c_str(), CentreOf(object.area), object.area,
                                button);
  });
  return true;
}

bool DisplayList::Drag(const std::string& name, int type, int x, int y, bool released) {
  Display* display = Find(name);
  if (display == nullptr || display->screen() == nullptr) return false;
  const ScreenObject* found = display->LastObjectOfType(type);
  if (found == nullptr || !found->movable) return false;
  const ScreenObject object = *found;
  EuroScopePlugIn::CRadarScreen* screen = display->screen();
  world_.Deliver([&] {
    screen->OnMoveScreenObject(object.type, object.id.c_str(), EuroScopePlugIn::ScreenPoint{x, y},
                               object.area, released);
  });
  return true;
}

bool DisplayList::OfferCommand(const std::string& line) {
  for (const auto& d : displays_) {
    EuroScopePlugIn::CRadarScreen* screen = d->screen();
    if (screen == nullptr) continue;
    bool handled = false;
    world_.Deliver([&] { handled = screen->OnCompileCommand(line.c_str()); });
    if (handled) return true;
  }
  return false;
}

bool DisplayList::SaveSettings(const std::string& name) {
  Display* display = Find(name);
  if (display == nullptr) return false;
  if (EuroScopePlugIn::CRadarScreen* screen = display->screen()) {
    world_.Deliver([&] { screen->OnAsrContentToBeSaved(); });
  }
  return true;
}

bool DisplayList::Close(const std::string& name) {
  const auto it = std::find_if(displays_.begin(), displays_.end(),
                               [&](const auto& d) { return d->name() == name; });
  if (it == displays_.end()) return false;
  if (EuroScopePlugIn::CRadarScreen* screen = (*it)->screen()) {
    (*it)->SetScreen(nullptr);
    world_.Deliver([&] { screen->OnAsrContentToBeClosed(); });
  }
  displays_.erase(it);
  return true;
}

void DisplayList::CloseScreens() {
  for (const auto& d : displays_) {
    if (EuroScopePlugIn::CRadarScreen* screen = d->screen()) {
      d->SetScreen(nullptr);
      screen->OnAsrContentToBeClosed();
    }
  }
}

}  // namespace standin
