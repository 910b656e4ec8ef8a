// The tag functions on the selected aircraft: squawk and altitude recycling, and the typed
// departure time with its popup editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

class TagFunctions : public testing::PluginFixture {
 protected:
  void SetUp() override {
    world.SetObserver(&recorder);
    Load({{"ALT1", "EGLL:BPK7F:6000:1"}});
    for (const char* callsign : {"BAW1", "BAW2"}) {
      standin::Aircraft& a = world.AddOrGetAircraft(callsign);
      a.flight_plan.origin = "EGLL";
      a.flight_plan.sid = "BPK7F";
      a.flight_plan.estimated_departure_time = "1230";
      a.squawk = "4621";
      a.reported_gs = 150;  // only a forced application reaches an airborne aircraft
    }
  }

  // The typed departure time kept for `callsign`; nothing when it has no record.
  std::optional<std::string> Typed(const std::string& callsign) {
    const int index = registry.FindAircraft(callsign);
    if (index < 0) return std::nullopt;
    return registry.GetAircraft(index).m_EditedDepTime;
  }

  // Code 39 on `callsign`; returns the initial text of the editor it opened.
  std::string Edit(const std::string& callsign) {
    world.Select(callsign);
    recorder.popups.clear();
    world.CallFunction(kFunctionEditDepTime);
    return recorder.popups.empty() ? "<no editor>" : recorder.popups.back().initial_text;
  }

  testing::WorldRecorder recorder;
};

TEST_F(TagFunctions, RecycleSquawkSetsTheRecycleCodeOnly) {
  world.Select("BAW1");
  world.CallFunction(kFunctionRecycleSquawk);
  EXPECT_EQ(recorder.order, std::vector<std::string>{"squawk BAW1 0200"});
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "0200");
  EXPECT_EQ(world.FindAircraft("BAW2")->squawk, "4621");
  EXPECT_EQ(registry.Count(), 0);
}

TEST_F(TagFunctions, ResetInitialAltitudeIsForced) {
  world.Select("BAW2");
  world.CallFunction(kFunctionResetInitialAltitude);
  EXPECT_EQ(recorder.order, std::vector<std::string>{"altitude BAW2 6000"});
}

TEST_F(TagFunctions, RecycleBothSetsTheSquawkBeforeTheAltitude) {
  world.Select("BAW1");
  world.CallFunction(kFunctionRecycleSquawkAndAltitude);
  EXPECT_EQ(recorder.order, (std::vector<std::string>{"squawk BAW1 0200", "altitude BAW1 6000"}));
}

TEST_F(TagFunctions, EditOpensTheEditorWithTheFiledOrTypedTime) {
  const EuroScopePlugIn::ScreenRect area{10, 20, 110, 40};
  world.Select("BAW1");
  world.CallFunction(kFunctionEditDepTime, "", area);
  ASSERT_EQ(recorder.popups.size(), 1u);
  EXPECT_EQ(recorder.popups[0].function_code, kFunctionDepTimeTyped);
  EXPECT_EQ(recorder.popups[0].initial_text, "1230");
  EXPECT_EQ(recorder.popups[0].area.left, 10);
  EXPECT_EQ(recorder.popups[0].area.bottom, 40);
  EXPECT_EQ(plugin->m_EditCallsign, "BAW1");

  ASSERT_TRUE(world.AnswerPopup("1245"));
  EXPECT_EQ(Typed("BAW1"), "12:45");
  EXPECT_EQ(Edit("BAW1"), "12:45");

  // A record with an empty typed time offers the filed time.
  registry.AddAircraft(CAircraftData("BAW2"));
  EXPECT_EQ(Edit("BAW2"), "1230");
}

TEST_F(TagFunctions, TypedTextIsReformattedOrKept) {
  const struct {
    const char* typed;
    bool separator;
    const char* stored;
  } cases[] = {
      {"1245", true, "12:45"}, {"1245", false, "1245"}, {"0030", true, "00:30"},
      {"945", true, "945"},    {"0000", true, "0000"},  {"12:45", true, "12:45"},
      {"12ab", true, "12:ab"}, {"", true, ""},          {"12345", true, "12345"},
  };
  for (const auto& c : cases) {
    plugin->m_TimeSeparator = c.separator;
    Edit("BAW1");
    ASSERT_TRUE(world.AnswerPopup(c.typed));
    EXPECT_EQ(Typed("BAW1"), c.stored) << c.typed << " separator " << c.separator;
  }
}

TEST_F(TagFunctions, AnswerGoesToTheAircraftOfTheLastEditOrReset) {
  Edit("BAW1");
  world.Select("BAW2");  // selecting another aircraft does not move the answer
  ASSERT_TRUE(world.AnswerPopup("1300"));
  EXPECT_EQ(Typed("BAW1"), "13:00");
  EXPECT_EQ(Typed("BAW2"), std::nullopt);

  Edit("BAW1");
  world.Select("BAW2");
  world.CallFunction(kFunctionResetDepTime);  // before the editor is answered
  ASSERT_TRUE(world.AnswerPopup("1400"));
  EXPECT_EQ(Typed("BAW1"), "13:00");
  EXPECT_EQ(Typed("BAW2"), "14:00");
}

TEST_F(TagFunctions, ResetClearsOnlyTheTypedTime) {
  world.Select("BAW1");
  world.CallFunction(kFunctionResetDepTime);  // no record yet: an empty one is made
  ASSERT_EQ(registry.Count(), 1);
  EXPECT_EQ(registry.GetAircraft(0).m_Callsign, "BAW1");
  EXPECT_EQ(Typed("BAW1"), "");
  EXPECT_FALSE(registry.GetAircraft(0).m_OffBlock);

  CAircraftData& record = registry.GetAircraft(0);
  record.m_EditedDepTime = "12:45";
  record.m_OffBlock = true;
  record.m_OffBlockTime.wHour = 12;
  record.m_TakenOff = true;
  world.CallFunction(kFunctionResetDepTime);
  EXPECT_EQ(Typed("BAW1"), "");
  EXPECT_TRUE(registry.GetAircraft(0).m_OffBlock);
  EXPECT_EQ(registry.GetAircraft(0).m_OffBlockTime.wHour, 12);
  EXPECT_TRUE(registry.GetAircraft(0).m_TakenOff);
  EXPECT_EQ(plugin->m_EditCallsign, "BAW1");
}

TEST_F(TagFunctions, NothingHappensWithoutASelectedAircraft) {
  Edit("BAW1");
  world.Select("");
  for (int code = kFunctionRecycleSquawk; code <= kFunctionResetDepTime; ++code) {
    world.CallFunction(code, "1300");
  }
  ASSERT_TRUE(world.AnswerPopup("1300"));
  EXPECT_TRUE(recorder.order.empty());
  EXPECT_EQ(recorder.popups.size(), 1u);
  EXPECT_EQ(registry.Count(), 0);
  EXPECT_EQ(plugin->m_EditCallsign, "BAW1");
}

TEST_F(TagFunctions, OtherCodesDoNothing) {
  world.Select("BAW1");
  for (int code : {0, -1, 35, 42, 85, 86}) world.CallFunction(code, "1300");
  EXPECT_TRUE(recorder.order.empty());
  EXPECT_TRUE(recorder.popups.empty());
  EXPECT_EQ(registry.Count(), 0);
  EXPECT_EQ(plugin->m_EditCallsign, "");
}

TEST_F(TagFunctions, AnswerBeforeAnyEditIsDropped) {
  world.Select("BAW1");
  world.CallFunction(kFunctionDepTimeTyped, "1300");
  EXPECT_EQ(registry.Count(), 0);
}

}  // namespace
}  // namespace kestrava
