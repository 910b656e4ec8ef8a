// Assigned-data and flight-plan events: the off-block time on "PUSH", and what a flight-plan
// change applies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "tests/support/squawk_support.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

class AssignedDataEvents : public testing::PluginFixture {
 protected:
  void SetUp() override {
    world.SetObserver(&recorder);
    Load({{"ALT1", "EGLL:BPK7F:6000:1"}});
    standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
    a.flight_plan.origin = "egll";
    a.flight_plan.sid = "bpk7f";
    a.reported_gs = 10;
  }

  testing::WorldRecorder recorder;
};

TEST_F(AssignedDataEvents, PushCreatesARecordWithTheOffBlockTime) {
  env.SetUtc(2026, 12, 7, 9, 5, 30);
  world.SetGroundState("BAW1", "PUSH");
  ASSERT_EQ(registry.Count(), 1);
  const CAircraftData& record = registry.GetAircraft(0);
  EXPECT_EQ(record.m_Callsign, "BAW1");
  EXPECT_TRUE(record.m_OffBlock);
  EXPECT_EQ(record.m_OffBlockTime, env.NowUtc());
  EXPECT_EQ(record.m_OffBlockTime.wHour, 9);
  EXPECT_EQ(record.m_OffBlockTime.wMinute, 5);
  EXPECT_FALSE(record.m_TakenOff);
  EXPECT_FALSE(record.m_Landed);
  EXPECT_EQ(record.m_TakeOffTime, SystemTime{});
  EXPECT_EQ(record.m_LandingTime, SystemTime{});
  EXPECT_TRUE(record.m_EditedDepTime.empty());
  EXPECT_TRUE(record.m_Positions.empty());
  EXPECT_EQ(record.m_LastGroundSpeed, kNoGroundSpeed);
}

TEST_F(AssignedDataEvents, EveryPushOverwritesTheTimeAndOtherStatesKeepIt) {
  env.SetUtc(2026, 12, 7, 9, 5, 30);
  world.SetGroundState("BAW1", "PUSH");
  env.AdvanceSeconds(60);
  world.SetGroundState("BAW1", "PUSH");
  ASSERT_EQ(registry.Count(), 1);
  EXPECT_EQ(registry.GetAircraft(0).m_OffBlockTime.wMinute, 6);
  env.AdvanceSeconds(60);
  world.SetGroundState("BAW1", "TAXI");
  EXPECT_TRUE(registry.GetAircraft(0).m_OffBlock);
  EXPECT_EQ(registry.GetAircraft(0).m_OffBlockTime.wMinute, 6);
}

TEST_F(AssignedDataEvents, OnlyTheExactTextPushCounts) {
  for (const char* state : {"push", "Push", "PUSH ", " PUSH", "PUSHED", "TAXI", "", "ST-UP"}) {
    world.SetGroundState("BAW1", state);
  }
  EXPECT_EQ(registry.Count(), 0);
}

TEST_F(AssignedDataEvents, OtherDataTypesTouchNothing) {
  world.AddOrGetAircraft("BAW1").ground_state = "PUSH";
  for (int type : {0, 1, 2, 3, 4, 5, 7, 8, 99, -6}) world.ReportAssignedDataUpdate("BAW1", type);
  EXPECT_EQ(registry.Count(), 0);
  EXPECT_TRUE(recorder.order.empty());
}

TEST_F(AssignedDataEvents, EachFlightPlanChangeOnTheGroundAppliesTheAltitudeAgain) {
  world.ReportFlightPlanUpdate("BAW1");
  world.AddOrGetAircraft("BAW1").cleared_altitude = 4000;  // a controller changes it
  world.ReportFlightPlanUpdate("BAW1");
  EXPECT_EQ(recorder.order, (std::vector<std::string>{"altitude BAW1 6000", "altitude BAW1 6000"}));
  EXPECT_EQ(world.FindAircraft("BAW1")->cleared_altitude, 6000);
}

TEST_F(AssignedDataEvents, FlightPlanChangeIsNotForced) {
  world.AddOrGetAircraft("BAW1").reported_gs = 150;
  world.ReportFlightPlanUpdate("BAW1");
  EXPECT_TRUE(recorder.order.empty());
  world.Select("BAW1");
  world.CallFunction(kFunctionResetInitialAltitude);  // the tag function still sets it
  EXPECT_EQ(recorder.order, std::vector<std::string>{"altitude BAW1 6000"});
}

// Records, in the order of the host's calls, when a worker is started (a squawk request).
class WorkerStartEnv : public testing::ScriptedHttpEnv {
 public:
  std::thread StartThread(std::function<void()> body) override {
    if (order != nullptr) order->push_back("request");
    return ScriptedHttpEnv::StartThread(std::move(body));
  }
  std::vector<std::string>* order = nullptr;
};

class SquawkEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    world.SetObserver(&recorder);
    world.settings().Preset("SQK1", "EGLL:1");
    world.settings().Preset("ALT1", "EGLL:BPK7F:6000:1");
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));  // the start-up exchange
    env.order = &recorder.order;
    standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
    a.flight_plan.origin = "EGLL";
    a.flight_plan.destination = "LFPG";
    a.flight_plan.sid = "BPK7F";
    a.reported_gs = 10;
  }
  void TearDown() override { plugin.reset(); }

  WorkerStartEnv env;
  AircraftRegistry registry;
  standin::World world;
  testing::WorldRecorder recorder;
  std::unique_ptr<QEXPlugin> plugin;
};

TEST_F(SquawkEvents, FlightPlanChangeRequestsASquawkThenAppliesTheAltitude) {
  world.ReportFlightPlanUpdate("BAW1");
  EXPECT_EQ(recorder.order, (std::vector<std::string>{"request", "altitude BAW1 6000"}));
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.Urls("sqk_assign.php").size(), 1u);
}

TEST_F(SquawkEvents, SquawkChangeRequestsOnceAndTouchesNoRecord) {
  world.ControllerSetsSquawk("BAW1", "");
  EXPECT_EQ(recorder.order, std::vector<std::string>{"request"});
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.Urls("sqk_assign.php").size(), 1u);
  EXPECT_EQ(registry.Count(), 0);
}

}  // namespace
}  // namespace kestrava
