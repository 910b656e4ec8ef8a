// Applying the initial altitude: speed and force, exact matching, first enabled row, and the
// controller's own position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

using Altitudes = std::vector<std::pair<std::string, int>>;

class AltitudeApply : public testing::PluginFixture {
 protected:
  void SetUp() override {
    world.SetObserver(&recorder);
    Load();
    // The flight plan is filed in lower case; the table is compared in upper case.
    standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
    a.flight_plan.origin = "egll";
    a.flight_plan.sid = "bpk7f";
    a.reported_gs = 10;
  }

  // Applies to BAW1 and returns the altitudes set (at most one).
  Altitudes Apply(bool force) {
    recorder.altitudes.clear();
    EuroScopePlugIn::CAircraft handle;
    handle.m_pData = world.FindAircraft("BAW1");
    plugin->ApplyInitialAltitude(handle, force);
    return recorder.altitudes;
  }

  static CAltEntry Row(std::string icao, std::string sid, std::int32_t feet, bool enabled) {
    return CAltEntry{std::move(icao), std::move(sid), feet, enabled};
  }

  testing::WorldRecorder recorder;
  const Altitudes kSet6000 = {{"BAW1", 6000}};
};

TEST_F(AltitudeApply, BelowSixtyKnotsUnlessForced) {
  plugin->m_InitialAltitudes = {Row("EGLL", "BPK7F", 6000, true)};
  const struct {
    int gs;
    bool force;
    bool applied;
  } cases[] = {
      {0, false, true},    {59, false, true}, {60, false, false},
      {150, false, false}, {-5, false, true}, {0, true, true},
      {59, true, true},    {60, true, true},  {150, true, true},
  };
  for (const auto& c : cases) {
    world.FindAircraft("BAW1")->reported_gs = c.gs;
    EXPECT_EQ(Apply(c.force), c.applied ? kSet6000 : Altitudes{})
        << c.gs << " knots, force " << c.force;
  }
}

TEST_F(AltitudeApply, AirportAndSidMustMatchInFull) {
  for (const CAltEntry& row : {Row("EGLL", "BPK7G", 6000, true), Row("EGLL", "BPK", 6000, true),
                               Row("EGLL", "BPK7FX", 6000, true), Row("EGL", "BPK7F", 6000, true),
                               Row("EGLLX", "BPK7F", 6000, true), Row("egll", "bpk7f", 6000, true),
                               Row("EGKK", "BPK7F", 6000, true)}) {
    plugin->m_InitialAltitudes = {row};
    EXPECT_EQ(Apply(true), Altitudes{}) << row.m_Icao << " " << row.m_Sid;
  }
}

TEST_F(AltitudeApply, FirstEnabledMatchingRowWins) {
  plugin->m_InitialAltitudes = {Row("EGLL", "CPT3F", 5000, true), Row("EGLL", "BPK7F", 4000, false),
                                Row("EGLL", "BPK7F", 6000, true), Row("EGLL", "BPK7F", 7000, true)};
  EXPECT_EQ(Apply(false), kSet6000);
}

TEST_F(AltitudeApply, DisabledRowIsNeverApplied) {
  plugin->m_InitialAltitudes = {Row("EGLL", "BPK7F", 6000, false)};
  EXPECT_EQ(Apply(false), Altitudes{});
  EXPECT_EQ(Apply(true), Altitudes{});
}

TEST_F(AltitudeApply, FlightPlanWithoutSidNeverMatches) {
  world.FindAircraft("BAW1")->flight_plan.sid.clear();
  plugin->m_InitialAltitudes = {Row("EGLL", "", 6000, true)};
  EXPECT_EQ(Apply(true), Altitudes{});
}

TEST_F(AltitudeApply, ObserversUnstaffedPositionsAndTheSwitchStopEverything) {
  plugin->m_InitialAltitudes = {Row("EGLL", "BPK7F", 6000, true)};
  const struct {
    std::string callsign;
    int facility;
    bool enabled;
    bool applied;
  } cases[] = {
      {"EGLL_TWR", 4, true, true},    {"EGLL_OBS", 4, true, false}, {"OBSERVER", 4, true, false},
      {"XX_OBS_TWR", 4, true, false}, {"egll_obs", 4, true, true},  {"EGLL_TWR", 0, true, false},
      {"EGLL_TWR", 4, false, false},
  };
  for (const auto& c : cases) {
    world.controller().callsign = c.callsign;
    world.controller().facility = c.facility;
    plugin->m_InitAltsEnabled = c.enabled;
    for (bool force : {false, true}) {
      EXPECT_EQ(Apply(force), c.applied ? kSet6000 : Altitudes{})
          << c.callsign << " facility " << c.facility << " enabled " << c.enabled;
    }
  }
}

TEST_F(AltitudeApply, LowerCaseStoredRowsLoadButNeverMatch) {
  Load({{"ALT1", "egll:bpk7f:6000:1"}});
  ASSERT_EQ(plugin->m_InitialAltitudes.size(), 1u);
  EXPECT_EQ(Apply(true), Altitudes{});
}

}  // namespace
}  // namespace kestrava
