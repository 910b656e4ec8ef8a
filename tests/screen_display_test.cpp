// The stand-in host's radar displays: the view, opening and closing, redraw passes and screen
// objects, snapshots, and the built module drawing its clock on a real bitmap.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/world.h"
#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

standin::DisplayOptions Options(const std::string& name) {
  standin::DisplayOptions options;
  options.name = name;
  options.width = 600;
  options.height = 400;
  options.centre = EuroScopePlugIn::CPosition{60.0, 10.0};
  options.scale_nm = 30.0;  // 20 pixels per nautical mile
  return options;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(StandInDisplay, TheViewSpansTheScaleAcrossTheWidthAroundTheCentre) {
  standin::World world;
  std::string error;
  standin::Display* display = world.displays().Open(Options("View"), error);
  ASSERT_NE(display, nullptr) << error;
  const struct {
    double latitude, longitude;
    int x, y;
  } cases[] = {
      {60.0, 10.0, 300, 200},             // the centre
      {60.0 + 1.0 / 60, 10.0, 300, 180},  // one mile north: 20 pixels up
      {60.0 - 5.0 / 60, 10.0, 300, 300},  // five miles south
      {60.0, 10.0 + 2.0 / 60, 320, 200},  // two minutes east at 60 degrees north: one mile
      {60.0, 9.0, -300, 200},             // off the display to the west
  };
  for (const auto& c : cases) {
    const EuroScopePlugIn::ScreenPoint p = display->ToPixel({c.latitude, c.longitude});
    EXPECT_EQ(p.x, c.x) << c.latitude << " " << c.longitude;
    EXPECT_EQ(p.y, c.y) << c.latitude << " " << c.longitude;
  }
}

TEST(StandInDisplay, BadOptionsAreRefusedWithAMessage) {
  standin::World world;
  std::string error;
  ASSERT_NE(world.displays().Open(Options("One"), error), nullptr);
  const auto refused = [&](standin::DisplayOptions options, const char* part) {
    std::string message;
    EXPECT_EQ(world.displays().Open(options, message), nullptr) << part;
    EXPECT_NE(message.find(part), std::string::npos) << message;
  };
  refused(Options("One"), "already open");
  refused(Options(""), "needs a name");
  auto wide = Options("Wide");
  wide.width = 0;
  refused(wide, "width and height");
  wide.width = standin::Display::kMaxSide + 1;
  refused(wide, "width and height");
  auto flat = Options("Flat");
  flat.scale_nm = 0;
  refused(flat, "scale");
  auto pole = Options("Pole");
  pole.centre.m_Latitude = 90;
  refused(pole, "centre");
  EXPECT_EQ(world.displays().Names(), std::vector<std::string>{"One"});
}

class StandInDisplayWithPlugIn : public ScreenFixture {};

TEST_F(StandInDisplayWithPlugIn, ARedrawRunsThePhasesInOrderAndForgetsTheRequest) {
  Open();
  EXPECT_EQ(world.displays().RedrawRequested(), 1);
  EXPECT_EQ(world.displays().RedrawRequested(), 0);
  // Phase 1 (trails) makes its graphics object before phase 3 (the clock) attaches.
  const std::vector<std::string> names = env.drawing.Names();
  const auto first = [&](const char* name) {
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  EXPECT_LT(first("GdipCreateFromHDC"), first("AttachDC"));
  Screen().RequestRefresh();
  EXPECT_EQ(world.displays().RedrawRequested(), 1);
}

TEST_F(StandInDisplayWithPlugIn, ClicksAndDragsFindTheObjectDrawnLast) {
  Open();
  EXPECT_FALSE(world.displays().Click(kMain, kClockFace, 1));  // nothing drawn yet
  world.displays().RedrawRequested();
  EXPECT_TRUE(world.displays().Click(kMain, kOneMinuteButton, 1));
  EXPECT_TRUE(Screen().m_CountdownRunning);
  EXPECT_FALSE(world.displays().Click("Other", kOneMinuteButton, 1));
  EXPECT_TRUE(world.displays().Drag(kMain, kClockFace, 7, 9, true));
  EXPECT_EQ(Screen().m_CountdownX, 7);
  EXPECT_FALSE(world.displays().Drag("Other", kClockFace, 7, 9, true));
}

TEST_F(StandInDisplayWithPlugIn, TheSettingsFileIsSavedAtomicallyAndSurvivesTheDisplay) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "kestrava-display-settings.asr";
  std::filesystem::remove(file);
  Open({{"MAXTRAIL", "4"}}, kMain, file.string());
  Screen().m_TrailType = 3;
  ASSERT_TRUE(world.displays().SaveSettings(kMain));
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
  ASSERT_TRUE(world.displays().Close(kMain));
  const standin::SettingsStore stored(file.string());
  EXPECT_EQ(stored.entries().size(), 10u);
  EXPECT_STREQ(stored.Get("MAXTRAIL"), "4");
  EXPECT_STREQ(stored.Get("TRAILTYPE"), "3");
  EXPECT_EQ(stored.entries().at("TRAILTYPE").description, "Trail Type");
  std::filesystem::remove(file);
}

TEST(StandInDisplay, TheBuiltModuleDrawsItsClockAndTheSnapshotIsAPng) {
  standin::World world;
  std::string error;
  ASSERT_TRUE(world.LoadPlugIn(KESTRAVA_MODULE, error)) << error;
  standin::Display* display = world.displays().Open(Options("Module"), error);
  ASSERT_NE(display, nullptr) << error;
  ASSERT_NE(display->screen(), nullptr);
  const std::filesystem::path png =
      std::filesystem::temp_directory_path() / "kestrava-display-snapshot.png";
  std::filesystem::remove(png);
  ASSERT_TRUE(world.displays().Snapshot("Module", png.string()));

  // The clock at (100, 100): frame, face fill away from the time text, a button's fill.
  standin::DisplayCanvas& canvas = display->canvas();
  EXPECT_EQ(canvas.PixelAt(100, 100), (standin::Pixel{125, 154, 148}));
  EXPECT_EQ(canvas.PixelAt(135, 117), (standin::Pixel{8, 48, 40}));
  EXPECT_EQ(canvas.PixelAt(134, 116), (standin::Pixel{11, 64, 54}));
  EXPECT_EQ(canvas.PixelAt(116, 134), (standin::Pixel{120, 120, 120}));
  EXPECT_EQ(display->objects().size(), 5u);

  const std::string bytes = ReadBytes(png);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::filesystem::remove(png);

  // Unloading ends the screen object; the display stays, drawn by the host alone.
  world.UnloadPlugIn();
  EXPECT_EQ(display->screen(), nullptr);
  world.displays().Redraw(*display);
  EXPECT_EQ(canvas.PixelAt(100, 100), (standin::Pixel{24, 32, 40}));
}

}  // namespace
}  // namespace kestrava::testing
