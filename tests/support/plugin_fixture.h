// A plug-in object living in a stand-in host World, on a FakeEnv and a registry of its own.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"

namespace kestrava::testing {

class PluginFixture : public ::testing::Test {
 protected:
  // Builds the plug-in on the given stored settings (none: an empty store).
  QEXPlugin& Load(const std::map<std::string, std::string>& settings = {}) {
    for (const auto& [key, value] : settings) world.settings().Preset(key, value);
    plugin.reset();
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    return *plugin;
  }

  void TearDown() override {
    if (plugin) plugin.reset();
  }

  FakeEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
};

}  // namespace kestrava::testing
