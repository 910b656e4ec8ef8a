// A plug-in in a stand-in host World with radar displays, its screen objects drawing through
// the FakeEnv's recording backend.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "host/display.h"
#include "screen/QEXScreen.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava::testing {

class ScreenFixture : public PluginFixture {
 protected:
  static constexpr char kMain[] = "Main";

  // Loads the plug-in unless it is loaded, then opens a 400 x 300 display around Heathrow,
  // 40 nm wide, whose settings file holds `settings` (memory only unless `path` is given).
  QEXScreen& Open(const std::map<std::string, std::string>& settings = {},
                  const std::string& name = kMain, const std::string& path = "") {
    if (!plugin) Load();
    standin::DisplayOptions options;
    options.name = name;
    options.width = 400;
    options.height = 300;
    options.centre = EuroScopePlugIn::CPosition{51.47, -0.46};
    options.scale_nm = 40.0;
    options.settings = settings;
    options.settings_path = path;
    std::string error;
    standin::Display* display = world.displays().Open(options, error);
    EXPECT_NE(display, nullptr) << error;
    return Screen(name);
  }

  standin::Display& Display(const std::string& name = kMain) {
    standin::Display* display = world.displays().Find(name);
    if (display == nullptr) throw std::logic_error("no display " + name);
    return *display;
  }

  QEXScreen& Screen(const std::string& name = kMain) {
    auto* screen = static_cast<QEXScreen*>(Display(name).screen());
    if (screen == nullptr) throw std::logic_error("no screen object on " + name);
    return *screen;
  }

  // Redraws the display with the recording starting afresh.
  void Redraw(const std::string& name = kMain) {
    env.drawing.Clear();
    world.displays().Redraw(Display(name));
  }
};

}  // namespace kestrava::testing
