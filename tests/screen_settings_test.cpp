// A display's settings: construction values, loading with the flag and number rules, saving,
// the display commands, and the object's start and end.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

using Saved = std::tuple<std::string, std::string, std::string>;  // key, description, value

class SavedSettings : public standin::WorldObserver {
 public:
  void DisplaySettingsSaved(const std::string& display, const std::string& key,
                            const std::string& description, const char* value) override {
    displays.push_back(display);
    saved.emplace_back(key, description, value != nullptr ? value : "(null)");
  }
  std::vector<std::string> displays;
  std::vector<Saved> saved;
};

class ScreenSettings : public ScreenFixture {
 protected:
  void SetUp() override { world.SetObserver(&observer); }
  SavedSettings observer;
};

TEST_F(ScreenSettings, AnEmptySettingsFileGivesTheConstructionValues) {
  const QEXScreen& screen = Open();
  EXPECT_EQ(screen.m_MaxTrail, 6);
  EXPECT_EQ(screen.m_TrailShow, 1);
  EXPECT_EQ(screen.m_DegradingTrail, 0);
  EXPECT_EQ(screen.m_TrailColour, 0x001482FFu);
  EXPECT_EQ(screen.m_TrailType, 2);
  EXPECT_EQ(screen.m_AntiAlias, 1);
  EXPECT_EQ(screen.m_FadeTrail, 0);
  EXPECT_FALSE(screen.m_CountdownRunning);
  EXPECT_EQ(screen.m_CountdownX, 100);
  EXPECT_EQ(screen.m_CountdownY, 100);
  EXPECT_TRUE(screen.m_CountdownShow);
  // Loading asked for a redraw.
  EXPECT_TRUE(Display().refresh_requested());
}

TEST_F(ScreenSettings, SavingWritesTheTenSettingsInOrderWithTheirDescriptions) {
  Open();
  ASSERT_TRUE(world.displays().SaveSettings(kMain));
  EXPECT_EQ(observer.saved, (std::vector<Saved>{
                                {"TRAILSHOW", "Show History Trails", "1"},
                                {"MAXTRAIL", "Max Trail Length", "6"},
                                {"TRAILCOLOUR", "Trail Colour", "1344255"},
                                {"ANTIALIAS", "Anti-Alias History Trails", "1"},
                                {"TRAILTYPE", "Trail Type", "2"},
                                {"DEGRADINGTRAIL", "Degrading History Trails", "0"},
                                {"FADETRAIL", "Fade History Trails", "0"},
                                {"CDXPOS", "Count Down X Position", "100"},
                                {"CDYPOS", "Count Down Y Position", "100"},
                                {"CDSHOW", "Count Down Visibility", "1"},
                            }));
  EXPECT_EQ(observer.displays, std::vector<std::string>(10, kMain));
  EXPECT_STREQ(Display().settings().Get("TRAILCOLOUR"), "1344255");
}

TEST_F(ScreenSettings, AFlagIsOnOnlyForTheExactText1) {
  const struct {
    const char* text;
    bool on;
  } cases[] = {{"1", true},   {"0", false},  {"", false},   {"true", false},
               {" 1", false}, {"11", false}, {"1 ", false}, {"01", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string name = std::string("D") + c.text;
    // Every flag reads the same rule; the others start from the opposite value.
    const QEXScreen& screen = Open({{"TRAILSHOW", c.text},
                                    {"ANTIALIAS", c.text},
                                    {"DEGRADINGTRAIL", c.text},
                                    {"FADETRAIL", c.text},
                                    {"CDSHOW", c.text}},
                                   name);
    const std::int32_t expected = c.on ? 1 : 0;
    EXPECT_EQ(screen.m_TrailShow, expected);
    EXPECT_EQ(screen.m_AntiAlias, expected);
    EXPECT_EQ(screen.m_DegradingTrail, expected);
    EXPECT_EQ(screen.m_FadeTrail, expected);
    EXPECT_EQ(screen.m_CountdownShow, c.on);
  }
}

TEST_F(ScreenSettings, ANumberIsItsLeadingDecimalIntegerWithoutRangeChecks) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {{"12", 12},
               {" 7", 7},
               {"12abc", 12},
               {"abc", 0},
               {"", 0},
               {"-3", -3},
               {"+4", 4},
               {"0", 0},
               {"4294967291", -5},
               {"2147483648", INT32_MIN},
               {"99999999999", 1215752191}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const QEXScreen& screen = Open({{"MAXTRAIL", c.text},
                                    {"TRAILTYPE", c.text},
                                    {"TRAILCOLOUR", c.text},
                                    {"CDXPOS", c.text},
                                    {"CDYPOS", c.text}},
                                   std::string("D") + c.text);
    EXPECT_EQ(screen.m_MaxTrail, c.value);
    EXPECT_EQ(screen.m_TrailType, c.value);
    EXPECT_EQ(screen.m_TrailColour, static_cast<std::uint32_t>(c.value));
    EXPECT_EQ(screen.m_CountdownX, c.value);
    EXPECT_EQ(screen.m_CountdownY, c.value);
  }
}

TEST_F(ScreenSettings, TheClockMovesOnlyWhenBothCoordinatesAreStored) {
  EXPECT_EQ(Open({{"CDXPOS", "300"}}, "OnlyX").m_CountdownX, 100);
  EXPECT_EQ(Open({{"CDXPOS", "300"}}, "OnlyX2").m_CountdownY, 100);
  EXPECT_EQ(Open({{"CDYPOS", "200"}}, "OnlyY").m_CountdownY, 100);
  const QEXScreen& both = Open({{"CDXPOS", "300"}, {"CDYPOS", "200"}}, "Both");
  EXPECT_EQ(both.m_CountdownX, 300);
  EXPECT_EQ(both.m_CountdownY, 200);
}

TEST_F(ScreenSettings, AMissingKeyLeavesItsMemberAsItWas) {
  const QEXScreen& screen = Open({{"MAXTRAIL", "9"}, {"CDSHOW", "0"}});
  EXPECT_EQ(screen.m_MaxTrail, 9);
  EXPECT_FALSE(screen.m_CountdownShow);
  EXPECT_EQ(screen.m_TrailType, 2);
  EXPECT_EQ(screen.m_TrailColour, 0x001482FFu);
  EXPECT_EQ(screen.m_TrailShow, 1);
}

TEST_F(ScreenSettings, ANegativePositionIsSavedUnsignedAndReadsBackAsTheSameValue) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "kestrava-screen-negative.asr";
  std::filesystem::remove(file);
  QEXScreen& screen = Open({}, "Edge", file.string());
  screen.m_CountdownX = -5;
  screen.m_CountdownY = -2147483647 - 1;
  screen.m_MaxTrail = -1;
  screen.m_TrailType = -7;
  ASSERT_TRUE(world.displays().SaveSettings("Edge"));
  ASSERT_TRUE(world.displays().Close("Edge"));

  standin::SettingsStore stored(file.string());
  EXPECT_STREQ(stored.Get("CDXPOS"), "4294967291");
  EXPECT_STREQ(stored.Get("CDYPOS"), "2147483648");
  EXPECT_STREQ(stored.Get("MAXTRAIL"), "4294967295");
  EXPECT_STREQ(stored.Get("TRAILTYPE"), "4294967289");

  const QEXScreen& again = Open({}, "Edge", file.string());
  EXPECT_EQ(again.m_CountdownX, -5);
  EXPECT_EQ(again.m_CountdownY, INT32_MIN);
  EXPECT_EQ(again.m_MaxTrail, -1);
  EXPECT_EQ(again.m_TrailType, -7);
  std::filesystem::remove(file);
}

TEST_F(ScreenSettings, TheDisplayCommands) {
  const struct {
    const char* line;
    bool handled;
    bool shown;  // the clock's visibility afterwards (it starts shown)
    int x;       // the clock's position afterwards (it starts at 250)
  } cases[] = {
      {".cdp", true, true, 100},           {".cdpxyz", true, true, 100},
      {".cdp 7", true, true, 100},         {".cd", true, false, 250},
      {".cd more text", true, false, 250}, {".cdx", true, false, 250},
      {".CD", false, true, 250},           {".CDP", false, true, 250},
      {".qex h", true, true, 250},         {".zyt h", true, true, 250},
      {".qex-h", true, true, 250},         {".qexxh", true, true, 250},
      {".qexh", false, true, 250},         {".qex", false, true, 250},
      {".qex ", false, true, 250},         {".qex H", false, true, 250},
      {".qex hh", false, true, 250},       {".qex h ", false, true, 250},
      {".qex s", false, true, 250},        {".QEX h", false, true, 250},
      {".zythh", true, true, 250},         {"cd", false, true, 250},
      {" .cd", false, true, 250},          {"", false, true, 250},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("'") + c.line + "'");
    QEXScreen& screen = Open({{"CDXPOS", "250"}, {"CDYPOS", "250"}}, std::string("D") + c.line);
    world.displays().RedrawRequested();
    EXPECT_EQ(screen.OnCompileCommand(c.line), c.handled);
    EXPECT_EQ(screen.m_CountdownShow, c.shown);
    EXPECT_EQ(screen.m_CountdownX, c.x);
    EXPECT_EQ(screen.m_CountdownY, c.x);
    // Only the clock commands ask for a redraw.
    const bool clock_command = c.handled && std::string(c.line).rfind(".cd", 0) == 0;
    EXPECT_EQ(Display(std::string("D") + c.line).refresh_requested(), clock_command);
    world.displays().Close(std::string("D") + c.line);
  }
}

TEST_F(ScreenSettings, ShowTogglesBackAndResetKeepsTheClockHidden) {
  QEXScreen& screen = Open({{"CDXPOS", "20"}, {"CDYPOS", "30"}});
  EXPECT_TRUE(screen.OnCompileCommand(".cd"));
  EXPECT_TRUE(screen.OnCompileCommand(".cd"));
  EXPECT_TRUE(screen.m_CountdownShow);
  EXPECT_TRUE(screen.OnCompileCommand(".cd"));
  EXPECT_TRUE(screen.OnCompileCommand(".cdp"));
  EXPECT_FALSE(screen.m_CountdownShow);
  EXPECT_EQ(screen.m_CountdownX, 100);
  EXPECT_EQ(screen.m_CountdownY, 100);
}

TEST_F(ScreenSettings, TheHostOffersADeclinedCommandToTheDisplays) {
  Open({}, "First");
  Open({}, "Second");
  EXPECT_TRUE(world.CompileCommand(".cd"));
  // The first display to handle it takes it.
  EXPECT_FALSE(Screen("First").m_CountdownShow);
  EXPECT_TRUE(Screen("Second").m_CountdownShow);
  EXPECT_TRUE(world.CompileCommand(".zyt h"));
  EXPECT_FALSE(world.CompileCommand(".cD"));
}

TEST_F(ScreenSettings, TwoDisplaysKeepTheirOwnSettingsAndClocks) {
  QEXScreen& first = Open({{"MAXTRAIL", "3"}}, "First");
  QEXScreen& second = Open({{"MAXTRAIL", "8"}}, "Second");
  EXPECT_NE(&first, &second);
  first.OnCompileCommand(".cd");
  EXPECT_EQ(first.m_MaxTrail, 3);
  EXPECT_EQ(second.m_MaxTrail, 8);
  EXPECT_FALSE(first.m_CountdownShow);
  EXPECT_TRUE(second.m_CountdownShow);
}

TEST_F(ScreenSettings, GdiplusRunsFromConstructionToClosing) {
  Open();
  const auto startups = env.drawing.Named("GdiplusStartup");
  ASSERT_EQ(startups.size(), 1u);
  // Version 1, no debug callback, nothing suppressed.
  EXPECT_EQ(startups[0].args, (std::vector<double>{1, 0, 0, 0}));
  const auto token = static_cast<double>(Screen().m_GdiplusToken);
  ASSERT_TRUE(world.displays().Close(kMain));
  const auto shutdowns = env.drawing.Named("GdiplusShutdown");
  ASSERT_EQ(shutdowns.size(), 1u);
  EXPECT_EQ(shutdowns[0].args, std::vector<double>{token});
  EXPECT_EQ(world.displays().Find(kMain), nullptr);
  EXPECT_EQ(env.drawing.LiveObjects(), 0);
}

TEST_F(ScreenSettings, UnloadingThePlugInEndsEveryScreenObject) {
  Open({}, "First");
  Open({}, "Second");
  plugin.reset();
  EXPECT_EQ(env.drawing.Named("GdiplusShutdown").size(), 2u);
  EXPECT_EQ(Display("First").screen(), nullptr);
  EXPECT_FALSE(world.CompileCommand(".cd"));
}

}  // namespace
}  // namespace kestrava::testing
