// The statistics log dialog through the "l" settings command, on the headless backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/log_settings.h"
#include "resources/dialog_ids.h"
#include "tests/support/dialog_state.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava::testing {
namespace {

using Saved = WorldRecorder::SavedSetting;

class LogDialog : public PluginFixture {
 protected:
  void SetUp() override {
    Load();
    world.SetObserver(&recorder);
  }
  void TearDown() override {
    PluginFixture::TearDown();
    LogEnabled = false;
    LogFilePath = kDefaultLogFilePath;
  }

  void Run(std::function<void(DialogUser&)> script) {
    env.dialog_script = std::move(script);
    EXPECT_TRUE(world.CompileCommand(".qex l"));
  }

  WorldRecorder recorder;
};

TEST_F(LogDialog, OkStoresThePathExactlyAsTypedOrChosen) {
  const std::string long_path = "D:\\" + std::string(400, 'x') + ".csv";
  const struct {
    const char* name;
    std::function<void(DialogUser&)> act;
    std::string path;
  } cases[] = {
      {"trailing blanks", [](DialogUser& u) { u.Type(IDC_LOG_PATH, "C:\\stats.csv  "); },
       "C:\\stats.csv  "},
      {"empty", [](DialogUser& u) { u.Type(IDC_LOG_PATH, "\b"); }, ""},
      {"long", [&](DialogUser& u) { u.Paste(IDC_LOG_PATH, long_path); }, long_path},
      {"browsed", [](DialogUser& u) { u.Click(IDC_LOG_BROWSE); }, "E:\\logs\\day.csv"},
  };
  for (const auto& c : cases) {
    recorder.settings.clear();
    env.save_file_answers = {"E:\\logs\\day.csv"};
    Run([&](DialogUser& user) {
      EXPECT_EQ(user.Caption(), "CSV Log File");
      user.Check(IDC_LOG_ENABLE, true);
      c.act(user);
      EXPECT_EQ(StateOf(user, IDC_LOG_PATH).text, c.path) << c.name;
      user.Click(kIdOk);
    });
    EXPECT_TRUE(LogEnabled) << c.name;
    EXPECT_EQ(LogFilePath, c.path) << c.name;
    EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"SAVELOG", "Save Log", "1"},
                                                     {"SAVELOGFILE", "Log File Path", c.path}}))
        << c.name;
  }
}

TEST_F(LogDialog, BrowseStartsFromTheTypedPathAndCancelsChangeNothing) {
  LogFilePath = "C:\\old.csv";
  const std::string typed = "C:\\" + std::string(300, 'n') + ".csv ";
  // The save dialog cancelled: the typed path stays; then the log dialog cancelled.
  env.save_file_answers = {std::nullopt, "E:\\new.csv"};
  Run([&](DialogUser& user) {
    EXPECT_EQ(StateOf(user, IDC_LOG_PATH).text, "C:\\old.csv");
    EXPECT_FALSE(StateOf(user, IDC_LOG_ENABLE).checked);
    user.Paste(IDC_LOG_PATH, typed);
    user.Click(IDC_LOG_BROWSE);
    EXPECT_EQ(StateOf(user, IDC_LOG_PATH).text, typed);
    user.Click(IDC_LOG_BROWSE);
    EXPECT_EQ(StateOf(user, IDC_LOG_PATH).text, "E:\\new.csv");
    user.Click(kIdCancel);
  });
  ASSERT_EQ(env.save_file_requests.size(), 2u);
  const SaveFileRequest& first = env.save_file_requests[0];
  EXPECT_EQ(first.initial, typed);  // whole, however long
  EXPECT_EQ(first.default_extension, "csv");
  EXPECT_EQ(first.filter, "CSV File (*.csv)|*.csv");
  EXPECT_EQ(first.flags, 0u);
  EXPECT_EQ(LogFilePath, "C:\\old.csv");
  EXPECT_FALSE(LogEnabled);
  EXPECT_TRUE(recorder.settings.empty());
}

}  // namespace
}  // namespace kestrava::testing
