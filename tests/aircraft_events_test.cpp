// Position and disconnect events: the record's history and the 60-knot take-off and landing
// machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/log_settings.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using testing::PluginFixture;

constexpr char kLog[] = "stats.csv";

class AircraftEvents : public PluginFixture {
 protected:
  void SetUp() override { Load({{"SAVELOG", "1"}, {"SAVELOGFILE", kLog}}); }

  // One report of `callsign` at `gs` knots, one simulated minute after the previous one.
  void Report(const std::string& callsign, int gs) {
    ++reports_;
    world.ReportPosition(callsign, {51.0 + reports_ * 0.001, -0.4}, gs);
    env.AdvanceSeconds(60);
  }
  const CAircraftData& Record(const std::string& callsign) {
    const int index = registry.FindAircraft(callsign);
    EXPECT_NE(index, -1) << callsign;
    return registry.GetAircraft(index);
  }
  std::vector<std::string> LogEvents() {
    std::vector<std::string> kinds;
    for (const std::string& line : env.files[kLog]) {
      kinds.push_back(line.substr(line.rfind(',') - 1, 1));  // "D" or "A"
    }
    return kinds;
  }

  int reports_ = 0;
};

TEST_F(AircraftEvents, SpeedSequencesGiveTheTableEvents) {
  struct Case {
    const char* name;
    std::vector<int> speeds;
    std::vector<std::string> logged;  // event of each log line, in order
    bool taken_off;
    bool landed;
  };
  const Case cases[] = {
      {"slow then fast", {0, 61}, {"D"}, true, false},
      {"first report fast, then slow", {250, 60}, {"A"}, false, true},
      {"first report fast stays unseen", {250}, {}, false, false},
      {"60 exactly is on the ground", {60, 60, 60}, {}, false, false},
      {"60 to 61", {60, 61}, {"D"}, true, false},
      {"61 to 60", {61, 60}, {"A"}, false, true},
      {"every crossing counts", {59, 61, 59, 61}, {"D", "A", "D"}, true, true},
      {"negative speeds are slow", {-5, 100, -1}, {"D", "A"}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env.files.clear();
    const std::string callsign = std::string("T") + std::to_string(reports_);
    for (int gs : c.speeds) Report(callsign, gs);
    EXPECT_EQ(LogEvents(), c.logged);
    const CAircraftData& record = Record(callsign);
    EXPECT_EQ(record.m_TakenOff, c.taken_off);
    EXPECT_EQ(record.m_Landed, c.landed);
    EXPECT_EQ(record.m_LastGroundSpeed, c.speeds.back());
    EXPECT_EQ(record.m_Positions.size(), c.speeds.size());
  }
}

TEST_F(AircraftEvents, ALaterCrossingOverwritesTheTimeOfItsKind) {
  env.SetUtc(2024, 6, 5, 14, 0, 0);
  Report("EZY1", 59);  // 14:00
  Report("EZY1", 61);  // 14:01 take-off
  Report("EZY1", 59);  // 14:02 landing
  Report("EZY1", 61);  // 14:03 take-off again
  const CAircraftData& record = Record("EZY1");
  EXPECT_EQ(record.m_TakeOffTime.wMinute, 3);
  EXPECT_EQ(record.m_LandingTime.wMinute, 2);
  EXPECT_TRUE(record.m_TakenOff);
  EXPECT_TRUE(record.m_Landed);
  ASSERT_EQ(env.files[kLog].size(), 3u);
  EXPECT_NE(env.files[kLog][2].find(",D,05/06/2024 14:03:00"), std::string::npos);
}

TEST_F(AircraftEvents, ARecordCreatedElsewhereDoesNotFireOnItsFirstReport) {
  CAircraftData pushed("AFR7");
  pushed.m_OffBlock = true;
  pushed.m_OffBlockTime.wHour = 13;
  registry.AddAircraft(pushed);

  Report("AFR7", 70);
  EXPECT_FALSE(Record("AFR7").m_TakenOff);
  EXPECT_TRUE(env.files[kLog].empty());

  registry.Clear();
  registry.AddAircraft(pushed);
  Report("AFR7", 0);
  Report("AFR7", 70);
  const CAircraftData& record = Record("AFR7");
  EXPECT_TRUE(record.m_TakenOff);
  EXPECT_TRUE(record.m_OffBlock);
  EXPECT_EQ(record.m_OffBlockTime.wHour, 13);
  EXPECT_EQ(LogEvents(), std::vector<std::string>{"D"});
}

TEST_F(AircraftEvents, DisconnectThenReconnectStartsAfresh) {
  Report("DLH4", 0);
  Report("DLH4", 20);
  world.Disconnect("DLH4");
  EXPECT_EQ(registry.FindAircraft("DLH4"), -1);

  Report("DLH4", 150);  // unseen again: no take-off
  const CAircraftData& record = Record("DLH4");
  EXPECT_FALSE(record.m_TakenOff);
  EXPECT_EQ(record.m_Positions.size(), 1u);
  EXPECT_EQ(record.m_LastGroundSpeed, 150);
  EXPECT_TRUE(env.files[kLog].empty());
}

TEST_F(AircraftEvents, DisconnectOfAnUnknownCallsignChangesNothing) {
  Report("A1", 0);
  Report("B2", 0);
  world.AddOrGetAircraft("C3");
  world.Disconnect("C3");  // the host knows it, the plug-in has no record
  EXPECT_EQ(registry.Count(), 2);
  EXPECT_EQ(Record("A1").m_Positions.size(), 1u);
  EXPECT_EQ(Record("B2").m_Positions.size(), 1u);
}

TEST_F(AircraftEvents, TheHistoryHoldsEveryReportInOrder) {
  const std::vector<EuroScopePlugIn::CPosition> path = {
      {51.4700, -0.4543}, {51.4700, -0.4543}, {51.4702, -0.4700}, {51.4710, -0.5000}};
  for (const auto& p : path) world.ReportPosition("VIR9", p, 10);
  const CAircraftData& record = Record("VIR9");
  ASSERT_EQ(record.m_Positions.size(), path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    EXPECT_EQ(record.m_Positions[i].m_Latitude, path[i].m_Latitude) << i;
    EXPECT_EQ(record.m_Positions[i].m_Longitude, path[i].m_Longitude) << i;
  }
}

TEST_F(AircraftEvents, CallsignsThatDifferInCaseAreDifferentAircraft) {
  Report("abc1", 0);
  Report("ABC1", 100);
  EXPECT_EQ(registry.Count(), 2);
  EXPECT_FALSE(Record("ABC1").m_TakenOff);
}

}  // namespace
}  // namespace kestrava
