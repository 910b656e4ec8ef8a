// Which aircraft get a squawk request, with which flags, and how the code that comes back is
// set on the host's thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "squawk/squawk_request.h"
#include "tests/support/squawk_support.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

constexpr char kBase[] = "http://sq.test/qex/";

class SquawkAssignment : public testing::SquawkFixture {
 protected:
  void SetUp() override {
    SquawkFixture::SetUp();
    world.SetObserver(&recorder);
  }
  std::vector<std::string> AssignUrls() { return env.Urls("sqk_assign.php"); }

  testing::WorldRecorder recorder;
};

TEST_F(SquawkAssignment, OutcomeTable) {
  struct Row {
    const char* name;
    int ground_speed;
    const char* code;
    std::map<std::string, std::string> list;
    bool request;
    const char* ovr;
    const char* gnd;
  };
  const std::map<std::string, std::string> enabled = {{"SQK1", "EGKK:1"}, {"SQK2", "EGLL:1"}};
  const std::map<std::string, std::string> disabled = {{"SQK1", "EGLL:0"}};
  const std::map<std::string, std::string> other = {{"SQK1", "EGKK:0"}};
  const std::vector<Row> rows = {
      {"slow, no code, enabled origin", 0, "", enabled, true, "0", "1"},
      {"slow, recycle code, enabled origin", 59, "0200", enabled, true, "1", "1"},
      {"slow, no code, origin absent", 10, "", other, false, "", ""},
      {"slow, recycle code, origin disabled", 10, "0200", disabled, false, "", ""},
      {"slow, another code, enabled origin", 10, "4721", enabled, false, "", ""},
      {"fast, recycle code, only a disabled other airport", 250, "0200", other, true, "1", "0"},
      {"exactly 60 knots counts as airborne: recycle", 60, "0200", disabled, true, "1", "0"},
      {"exactly 60 knots counts as airborne: no code", 60, "", enabled, false, "", ""},
      {"fast, no code", 250, "", enabled, false, "", ""},
      {"fast, another code", 250, "4721", enabled, false, "", ""},
      {"fast, recycle code, empty list", 250, "0200", {}, false, "", ""},
      {"slow, no code, empty list", 0, "", {}, false, "", ""},
      {"disabled duplicate before an enabled one",
       0,
       "",
       {{"SQK1", "EGLL:0"}, {"SQK2", "EGLL:1"}},
       true,
       "0",
       "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    world.UseSettings(std::make_unique<standin::SettingsStore>());
    std::map<std::string, std::string> settings = row.list;
    settings["SERVERLOCATION"] = kBase;
    Load(settings);
    env.exchanges.clear();
    Aircraft("BAW1", "EGLL", "LFPG", row.ground_speed, row.code);
    Request("BAW1");
    const std::vector<std::string> urls = AssignUrls();
    if (!row.request) {
      EXPECT_TRUE(urls.empty());
      continue;
    }
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], std::string(kBase) +
                           "sqk_assign.php?depicao=EGLL&arricao=LFPG&ctrlcs=EGLL_TWR"
                           "&ctrlname=Test%20Controller&acftcs=BAW1&acftname=Jo%20Pilot"
                           "&macid=1234ABCD&ovr=" +
                           row.ovr + "&gnd=" + row.gnd + "&startid=0");
  }
}

TEST_F(SquawkAssignment, ControllerAndSwitchRules) {
  struct Row {
    const char* name;
    const char* callsign;
    int facility;
    const char* squawk_switch;
  };
  const std::vector<Row> rows = {
      {"observer callsign", "EGLL_OBS", 4, "1"},
      {"OBS anywhere in the callsign", "XOBSX", 4, "1"},
      {"no controlling position", "EGLL_TWR", 0, "1"},
      {"squawk codes switched off", "EGLL_TWR", 4, "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    world.controller().callsign = row.callsign;
    world.controller().facility = row.facility;
    Load({{"SQK1", "EGLL:1"}, {"SQK", row.squawk_switch}});
    env.exchanges.clear();
    Aircraft("BAW1", "EGLL", "LFPG", 0, "0200");
    Request("BAW1");
    Aircraft("BAW1", "EGLL", "LFPG", 300, "0200");
    Request("BAW1");
    EXPECT_TRUE(AssignUrls().empty());
  }
  world.controller().callsign = "EGLL_obs";  // the test is case-sensitive
  Load({{"SQK1", "EGLL:1"}, {"SQK", "1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  EXPECT_EQ(AssignUrls().size(), 1u);
}

TEST_F(SquawkAssignment, OriginEqualToDestinationNeverAsks) {
  Load({{"SQK1", "EGLL:1"}});
  for (const auto& [origin, destination] : std::vector<std::pair<std::string, std::string>>{
           {"EGLL", "EGLL"}, {"egll", "EGLL"}, {"", ""}}) {
    Aircraft("BAW1", origin, destination, 0);
    Request("BAW1");
    Aircraft("BAW1", origin, destination, 300, "0200");
    Request("BAW1");
  }
  EXPECT_TRUE(AssignUrls().empty());
}

TEST_F(SquawkAssignment, LowerCaseFlightPlanMatchesAndIsSentUpperCase) {
  Load({{"SQK1", "EGLL:1"}, {"SERVERLOCATION", kBase}});
  Aircraft("baw1", "egll", "lfpg", 0);
  Request("baw1");
  const std::vector<std::string> urls = AssignUrls();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_NE(urls[0].find("?depicao=EGLL&arricao=LFPG&"), std::string::npos) << urls[0];
  EXPECT_NE(urls[0].find("&acftcs=baw1&"), std::string::npos) << urls[0];
}

TEST_F(SquawkAssignment, EveryQualifyingEventMakesARequest) {
  Load({{"SQK1", "EGLL:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  Request("BAW1");
  world.ReportFlightPlanUpdate("BAW1");
  EXPECT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(AssignUrls().size(), 3u);
}

TEST_F(SquawkAssignment, ReplyCodeIsSetOnTheHostThreadOnce) {
  env.replies["sqk_assign.php"] = HttpResponse{200, "1a2b"};
  Load({{"SQK1", "EGLL:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  // Nothing reaches the host until the host's thread runs the hand-over.
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "");
  EXPECT_TRUE(recorder.squawks.empty());
  EXPECT_EQ(env.RunPostedTasks(), 1);
  EXPECT_EQ(recorder.squawks, (std::vector<std::pair<std::string, std::string>>{{"BAW1", "1530"}}));
  // The host reports the new code as assigned data: the event of another request.
  world.ReportAssignedDataUpdate("BAW1", EuroScopePlugIn::CTR_DATA_TYPE_SQUAWK);
  EXPECT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.RunPostedTasks(), 0);
  EXPECT_EQ(AssignUrls().size(), 1u);
}

TEST_F(SquawkAssignment, CodeForAnAircraftThatHasGoneIsDropped) {
  env.replies["sqk_assign.php"] = HttpResponse{200, "1a2b"};
  Load({{"SQK1", "EGLL:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  world.Disconnect("BAW1");
  EXPECT_EQ(env.RunPostedTasks(), 1);
  EXPECT_TRUE(recorder.squawks.empty());
}

TEST_F(SquawkAssignment, RecycledCodeInTheAirIsReplaced) {
  env.replies["sqk_assign.php"] = HttpResponse{200, "ffff"};
  Load({{"SQK1", "EGKK:0"}});
  Aircraft("BAW1", "EGLL", "LFPG", 250, "4721");
  world.ControllerSetsSquawk("BAW1", kRecycleSquawkCode);
  EXPECT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.RunPostedTasks(), 1);
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "7777");
  const std::vector<std::string> urls = AssignUrls();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_NE(urls[0].find("&ovr=1&gnd=0&"), std::string::npos) << urls[0];
}

}  // namespace
}  // namespace kestrava
