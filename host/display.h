// One radar display of the stand-in host: its size in pixels, its view (centre and scale), its
// settings file, the plug-in's screen object for it, the screen objects registered during the
// latest redraw, and its pixels.
//
// A display is owned by the World's DisplayList; the screen object is the plug-in's and ends
// itself when the display closes it. Thread: the host's thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/display_canvas.h"
#include "host/settings_store.h"
#include "plugin/EuroScopePlugIn.h"

namespace standin {

class World;

struct DisplayOptions {
  std::string name;
  int width = 800;
  int height = 600;
  EuroScopePlugIn::CPosition centre;
  double scale_nm = 40.0;  // nautical miles across the display's width
  // The display's settings file ("" keeps the settings in memory only), and values written into
  // it before the plug-in reads it.
  std::string settings_path;
  std::map<std::string, std::string> settings;
};

struct ScreenObject {
  int type = 0;
  std::string id;
  EuroScopePlugIn::ScreenRect area;
  bool movable = false;
  std::string message;
};

class Display {
 public:
  // Limits of a display's size in pixels.
  static constexpr int kMaxSide = 8192;

  // Throws std::invalid_argument for a size or view outside the limits, std::runtime_error when
  // the bitmap cannot be made.
  Display(World& world, const DisplayOptions& options);

  const std::string& name() const { return name_; }
  int width() const { return canvas_.width(); }
  int height() const { return canvas_.height(); }
  World& world() { return world_; }
  SettingsStore& settings() { return settings_; }
  DisplayCanvas& canvas() { return canvas_; }

  // The pixel of a position: the display's width spans scale_nm nautical miles around the
  // centre (equirectangular, north up).
  EuroScopePlugIn::ScreenPoint ToPixel(EuroScopePlugIn::CPosition position) const;

  EuroScopePlugIn::CRadarScreen* screen() const { return screen_; }
  void SetScreen(EuroScopePlugIn::CRadarScreen* screen) { screen_ = screen; }

  // --- Called by the host interface on behalf of the screen object ---
  // Stores the value (atomically saving the file) and tells the World's observer.
  void SaveSetting(const std::string& key, const std::string& description, const char* value);
  void AddObject(ScreenObject object) { objects_.push_back(std::move(object)); }
  void RequestRefresh() { refresh_requested_ = true; }

  // --- Redraws ---
  const std::vector<ScreenObject>& objects() const { return objects_; }
  // The object of `type` registered last in the latest redraw, or null.
  const ScreenObject* LastObjectOfType(int type) const;
  bool refresh_requested() const { return refresh_requested_; }
  // Starts a redraw: forgets the screen objects and the pending request.
  void BeginRedraw();

 private:
  World& world_;
  std::string name_;
  EuroScopePlugIn::CPosition centre_;
  double pixels_per_nm_;
  SettingsStore settings_;
  DisplayCanvas canvas_;
  EuroScopePlugIn::CRadarScreen* screen_ = nullptr;
  std::vector<ScreenObject> objects_;
  bool refresh_requested_ = true;  // a new display has to be drawn
};

}  // namespace standin
