// The time settings dialog through the "t" settings command, on the headless dialog backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_ids.h"
#include "tests/support/dialog_state.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava::testing {
namespace {

using Saved = WorldRecorder::SavedSetting;

class TimeSettingsDialog : public PluginFixture {
 protected:
  void SetUp() override {
    Load();
    world.SetObserver(&recorder);
  }

  // Runs ".qex t" with `script` acting at the open dialog.
  void Run(std::function<void(DialogUser&)> script, const std::string& line = ".qex t") {
    env.dialog_script = std::move(script);
    EXPECT_TRUE(world.CompileCommand(line));
  }

  WorldRecorder recorder;
};

TEST_F(TimeSettingsDialog, FormatListPreselectsAndOkStoresTheIndexPlusOne) {
  const struct {
    std::int32_t adt_type;
    int choose;  // -2: leave the list as it opened
    int shown;
    std::int32_t stored;
  } cases[] = {
      {3, -2, 2, 3},  {1, -2, 0, 1},   {7, -2, 6, 7}, {0, -2, -1, 0},
      {8, -2, -1, 0}, {-1, -2, -1, 0}, {3, 6, 2, 7},  {0, 0, -1, 1},
  };
  for (const auto& c : cases) {
    plugin->m_AdtType = c.adt_type;
    recorder.settings.clear();
    Run([&](DialogUser& user) {
      const ControlState list = StateOf(user, IDC_TIME_ADT_TYPE);
      EXPECT_EQ(list.items, (std::vector<std::string>{"MM:SS", "HH:MM:SS", "HH:MM", "MMSS",
                                                      "HHMMSS", "HHMM", "MM"}));
      EXPECT_EQ(list.selected, c.shown) << c.adt_type;
      if (c.choose != -2) user.Select(IDC_TIME_ADT_TYPE, c.choose);
      user.Click(kIdOk);
    });
    EXPECT_EQ(plugin->m_AdtType, c.stored) << c.adt_type;
    ASSERT_EQ(recorder.settings.size(), 8u);
    EXPECT_EQ(recorder.settings[1],
              (Saved{"ADTTYPE", "Actual TOT Format", std::to_string(c.stored)}));
  }
}

TEST_F(TimeSettingsDialog, OkWithoutChangesWritesTheEightSettingsInOrder) {
  plugin->m_LateColour = 0xFFFFFFFF;  // the longest decimal text
  Run([](DialogUser& user) { user.PressEnter(); });
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{
                                   {"TIMESEP", "Time Seperator", "1"},
                                   {"ADTTYPE", "Actual TOT Format", "3"},
                                   {"EARLYCOL", "Early Time Colour", "46080"},
                                   {"LATECOL", "Late Time Colour", "4294967295"},
                                   {"PUSHCOL", "Push Time Colour", "11796480"},
                                   {"TOTCOL", "Takeoff Time Colour", "16508866"},
                                   {"LDTCOL", "Landing Time Colour", "7972310"},
                                   {"MODTCOL", "Modified Time Colour", "8486256"},
                               }));
}

TEST_F(TimeSettingsDialog, ColourButtonsChangeTheirOwnColourOnly) {
  const struct {
    int button;
    EuroScopePlugIn::ColorRef QEXPlugin::*member;
  } buttons[] = {
      {IDC_TIME_EARLY, &QEXPlugin::m_EarlyColour},
      {IDC_TIME_LATE, &QEXPlugin::m_LateColour},
      {IDC_TIME_PUSH, &QEXPlugin::m_PushColour},
      {IDC_TIME_TAKEOFF, &QEXPlugin::m_TakeoffColour},
      {IDC_TIME_LANDING, &QEXPlugin::m_LandingColour},
      {IDC_TIME_MODIFIED, &QEXPlugin::m_ModifiedColour},
  };
  for (const auto& b : buttons) {
    Load();
    world.SetObserver(&recorder);
    const EuroScopePlugIn::ColorRef before = (*plugin).*b.member;
    env.colour_requests.clear();
    const ColorRef chosen = 0x120000u + static_cast<ColorRef>(b.button);  // one per button
    env.colour_answers = {chosen};
    Run([&](DialogUser& user) {
      EXPECT_EQ(StateOf(user, b.button).colour, before);
      user.Check(IDC_TIME_SEPARATOR, false);
      user.Select(IDC_TIME_ADT_TYPE, 4);
      user.Click(b.button);
      EXPECT_EQ(StateOf(user, b.button).colour, chosen);
      // What was set before the colour dialog is still there.
      EXPECT_FALSE(StateOf(user, IDC_TIME_SEPARATOR).checked);
      EXPECT_EQ(StateOf(user, IDC_TIME_ADT_TYPE).selected, 4);
      user.Click(kIdOk);
    });
    ASSERT_EQ(env.colour_requests.size(), 1u);
    EXPECT_EQ(env.colour_requests[0].initial, before);
    EXPECT_TRUE(env.colour_requests[0].full_open);
    EXPECT_EQ((*plugin).*b.member, chosen) << b.button;
    EXPECT_FALSE(plugin->m_TimeSeparator);
    EXPECT_EQ(plugin->m_AdtType, 5);
    for (const auto& other : buttons) {
      if (other.button != b.button) {
        EXPECT_NE((*plugin).*other.member, chosen);
      }
    }
  }
}

TEST_F(TimeSettingsDialog, CancelledChoicesChangeNothing) {
  // The colour dialog cancelled, then OK: the colour stays.
  env.colour_answers = {std::nullopt};
  Run([](DialogUser& user) {
    user.Click(IDC_TIME_PUSH);
    EXPECT_EQ(StateOf(user, IDC_TIME_PUSH).colour, 11796480u);
    user.Click(kIdOk);
  });
  EXPECT_EQ(plugin->m_PushColour, 11796480u);

  // A colour chosen, then the dialog cancelled (button or close box): nothing changes.
  for (const bool close_box : {false, true}) {
    recorder.settings.clear();
    env.colour_answers = {0x00FF00};
    Run([&](DialogUser& user) {
      user.Check(IDC_TIME_SEPARATOR, false);
      user.Click(IDC_TIME_EARLY);
      close_box ? user.Close() : user.Click(kIdCancel);
    });
    EXPECT_EQ(plugin->m_EarlyColour, 46080u);
    EXPECT_TRUE(plugin->m_TimeSeparator);
    EXPECT_TRUE(recorder.settings.empty());
  }
}

TEST_F(TimeSettingsDialog, BothCommandWordsOpenIt) {
  for (const char* line : {".qex t", ".zyt t", "xzyt_t"}) {
    std::string caption;
    Run([&](DialogUser& user) { caption = user.Caption(); }, line);
    EXPECT_EQ(caption, "QEX Time Settings") << line;
  }
}

}  // namespace
}  // namespace kestrava::testing
