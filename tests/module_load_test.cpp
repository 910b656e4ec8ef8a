// Loading the built plug-in module the way the host does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "host/world.h"

namespace {

using Registrations = std::vector<std::pair<std::string, int>>;

TEST(ModuleLoad, HostLoadsTheModuleSeesItsRegistrationsAndUnloads) {
  standin::World world;
  std::string error;
  ASSERT_TRUE(world.LoadPlugIn(KESTRAVA_MODULE, error)) << error;
  ASSERT_NE(world.plugin(), nullptr);
  ASSERT_NE(world.binding(), nullptr);
  EXPECT_EQ(world.binding()->tag_items.size(), 5u);
  EXPECT_EQ(world.binding()->tag_items.front(),
            (std::pair<std::string, int>{"Intention Code", 85}));
  EXPECT_EQ(world.binding()->tag_functions, (Registrations{{"Recycle Squawk Code", 36},
                                                           {"Reset Calculated TO Time", 41},
                                                           {"Reset Initial Altitude", 37},
                                                           {"Recycle Sqk & Alt", 38},
                                                           {"Edit Estimated Dep Time", 39}}));
  // Defaults came from the empty store: a declined command and no settings written.
  EXPECT_FALSE(world.CompileCommand(".xyz abc"));
  world.UnloadPlugIn();
  EXPECT_EQ(world.plugin(), nullptr);
  EXPECT_TRUE(world.settings().entries().empty());
}

TEST(ModuleLoad, AFileThatIsNotAModuleFailsWithAMessage) {
  const auto path = std::filesystem::temp_directory_path() / "kestrava-not-a-module.dll";
  std::ofstream(path) << "this is text, not a library";
  standin::World world;
  std::string error;
  EXPECT_FALSE(world.LoadPlugIn(path.string(), error));
  EXPECT_NE(error.find("cannot load plug-in module"), std::string::npos) << error;
  EXPECT_EQ(world.plugin(), nullptr);
}

TEST(ModuleLoad, ALibraryWithoutTheEntryIsRefused) {
  standin::World world;
  std::string error;
  EXPECT_FALSE(world.LoadPlugIn(HOST_LIBRARY, error));
  EXPECT_NE(error.find("is not a plug-in module"), std::string::npos) << error;
}

TEST(ModuleLoad, AMissingFileFailsWithAMessage) {
  standin::World world;
  std::string error;
  EXPECT_FALSE(world.LoadPlugIn("no-such-directory/Kestrava.module", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
