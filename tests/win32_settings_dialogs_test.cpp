// The settings dialogs on the real Windows dialogs (run under Wine, with a display): the list
// views' own notices, the validation message and the owner-drawn swatches, which the headless
// backend only imitates. The standard dialogs answer from the FakeEnv's queues.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_ids.h"
#include "tests/support/dialog_state.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava::testing {
namespace {

using Rows = std::vector<std::string>;

// Dialogs run by the build's own backend, the person at them scripted.
class RealDialogEnv : public FakeEnv {
 public:
  int RunModalDialog(const DialogRequest& request) override {
    DialogRequest scripted = request;
    scripted.script = &dialog_script;
    return Env::Default().RunModalDialog(scripted);
  }
};

class Win32SettingsDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    world.settings().Preset("SQK1", "EGLL:1");
    world.settings().Preset("SQK2", "EGKK:0");
    world.settings().Preset("ALT1", "EGLL:BPK7F:6000:1");
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    world.SetObserver(&recorder);
  }
  void TearDown() override { plugin.reset(); }

  RealDialogEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
  WorldRecorder recorder;
};

TEST_F(Win32SettingsDialogs, SquawkListKeepsFlagsAcrossRebuilds) {
  Rows shown;
  env.dialog_script = [&](DialogUser& user) {
    user.Tick(IDC_SQK_LIST, 0, false);
    user.Type(IDC_SQK_ICAO, "egss\n");
    shown = RowsOf(user, IDC_SQK_LIST);
    user.Click(kIdOk);
  };
  EXPECT_TRUE(world.CompileCommand(".qex s"));
  EXPECT_EQ(shown, (Rows{"EGLL/-", "EGKK/-", "EGSS/+"}));
  EXPECT_EQ(plugin->m_SquawkAirports,
            (std::vector<CICAOEntry>{{"EGLL", false}, {"EGKK", false}, {"EGSS", true}}));
}

TEST_F(Win32SettingsDialogs, RefusedAltitudeIsReportedOncePerAction) {
  env.dialog_script = [&](DialogUser& user) {
    user.Type(IDC_ALT_ALTITUDE, "400");
    user.SelectRow(IDC_ALT_LIST, 0);
    user.Click(IDC_ALT_DELETE_SELECTED);
    EXPECT_EQ(RowsOf(user, IDC_ALT_LIST), Rows{});
    user.Click(kIdOk);
    EXPECT_TRUE(user.IsOpen());
    user.Keys("4000");
    user.Click(kIdOk);
  };
  EXPECT_TRUE(world.CompileCommand(".qex i"));
  EXPECT_EQ(env.validation_messages,
            (std::vector<std::string>{"Please enter an integer between 500 and 60000.",
                                      "Please enter an integer between 500 and 60000."}));
  EXPECT_TRUE(plugin->m_InitialAltitudes.empty());
}

TEST_F(Win32SettingsDialogs, SwatchesShowTheChosenColour) {
  env.colour_answers = {0x00FF00};
  env.dialog_script = [&](DialogUser& user) {
    EXPECT_EQ(StateOf(user, IDC_TIME_LATE).colour, 180u);
    user.Click(IDC_TIME_LATE);
    EXPECT_EQ(StateOf(user, IDC_TIME_LATE).colour, 0x00FF00u);
    user.Click(kIdOk);
  };
  EXPECT_TRUE(world.CompileCommand(".zyt t"));
  EXPECT_EQ(plugin->m_LateColour, 0x00FF00u);
  EXPECT_EQ(recorder.settings.size(), 8u);
}

}  // namespace
}  // namespace kestrava::testing
