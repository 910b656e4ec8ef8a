// Tag items 86 to 89 as the host asks for them: texts, colours, the values read afresh on every
// request, and the host's 16-byte buffer never written past.
#include <gtest/gtest.h>

#include <string>

#include "tags/time_format.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using testing::PluginFixture;

constexpr EuroScopePlugIn::ColorRef kEarly = 46080, kLate = 180, kPush = 11796480,
                                    kTakeoff = 16508866, kLanding = 7972310, kModified = 8486256;

class TagItems : public PluginFixture {
 protected:
  void SetUp() override {
    Load();
    env.SetUtc(2026, 12, 7, 12, 0, 0);
  }

  void FilePlan(const std::string& callsign, const std::string& departure_time) {
    world.AddOrGetAircraft(callsign).flight_plan.estimated_departure_time = departure_time;
  }
  CAircraftData& Record(const std::string& callsign) {
    const int index = registry.FindAircraft(callsign);
    return registry.GetAircraft(index < 0 ? registry.AddAircraft(CAircraftData(callsign)) : index);
  }
  static SystemTime Stamp(int hour, int minute, int second) {
    SystemTime time;
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 7;
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    time.wSecond = static_cast<std::uint16_t>(second);
    return time;
  }
};

void ExpectColoured(const standin::TagItemAnswer& answer, const std::string& text,
                    EuroScopePlugIn::ColorRef rgb) {
  EXPECT_EQ(answer.text, text);
  EXPECT_EQ(answer.color_code, EuroScopePlugIn::TAG_COLOR_RGB_DEFINED) << text;
  EXPECT_EQ(answer.rgb, rgb) << text;
}

void ExpectNothing(const standin::TagItemAnswer& answer) {
  EXPECT_EQ(answer.text, "");
  EXPECT_EQ(answer.color_code, 0);
  EXPECT_EQ(answer.rgb, 0u);
}

TEST_F(TagItems, FlightPlanTimeIsEarlyUpToItsMinuteThenLate) {
  FilePlan("BAW1", "1230");
  struct Case {
    int hour, minute, second;
    EuroScopePlugIn::ColorRef colour;
  };
  for (const Case& c : {Case{12, 29, 0, kEarly}, Case{12, 30, 0, kEarly}, Case{12, 30, 59, kEarly},
                        Case{12, 31, 0, kLate}, Case{0, 0, 0, kEarly}}) {
    env.SetUtc(2026, 12, 7, c.hour, c.minute, c.second);
    ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "12:30", c.colour);
  }
}

TEST_F(TagItems, FlightPlanTimeIsComparedWithoutWrapAtMidnight) {
  FilePlan("LATE", "2350");
  FilePlan("EARLY", "0010");
  env.SetUtc(2026, 12, 7, 0, 10, 0);
  ExpectColoured(world.GetTagItem("LATE", kItemEstimatedDepTime), "23:50", kEarly);
  env.SetUtc(2026, 12, 7, 23, 50, 0);
  ExpectColoured(world.GetTagItem("EARLY", kItemEstimatedDepTime), "00:10", kLate);
}

TEST_F(TagItems, FlightPlanTimesOfEveryShape) {
  struct Case {
    const char* filed;
    const char* shown;  // "" shows nothing and leaves the colour
  };
  const Case cases[] = {
      {"1230", "12:30"}, {"930", "09:30"}, {"45", "00:45"}, {"2475", "24:75"},
      {"12ab", "12:00"}, {"0000", ""},     {"", ""},        {"abcd", ""},
      {"-100", ""},      {"12345", ""},    {"-0930", ""},   {"99999999999999999999", ""},
  };
  for (const Case& c : cases) {
    FilePlan("X", c.filed);
    const auto answer = world.GetTagItem("X", kItemEstimatedDepTime);
    if (*c.shown == '\0') {
      ExpectNothing(answer);
    } else {
      EXPECT_EQ(answer.text, c.shown) << c.filed;
      EXPECT_EQ(answer.color_code, 1) << c.filed;
    }
  }
}

TEST_F(TagItems, SeparatorSettingIsReadOnEveryRequest) {
  FilePlan("BAW1", "1230");
  plugin->m_TimeSeparator = false;
  EXPECT_EQ(world.GetTagItem("BAW1", kItemEstimatedDepTime).text, "1230");
  plugin->m_TimeSeparator = true;
  EXPECT_EQ(world.GetTagItem("BAW1", kItemEstimatedDepTime).text, "12:30");
  plugin->m_EarlyColour = 123;
  EXPECT_EQ(world.GetTagItem("BAW1", kItemEstimatedDepTime).rgb, 123u);
}

TEST_F(TagItems, TypedTimeShowsInTheModifiedColourUntilCleared) {
  FilePlan("BAW1", "1230");
  Record("BAW1").m_EditedDepTime = "abc";
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "abc", kModified);
  Record("BAW1").m_EditedDepTime = "13:45";
  env.SetUtc(2026, 12, 7, 23, 0, 0);  // the clock does not matter for a typed time
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "13:45", kModified);
  Record("BAW1").m_EditedDepTime.clear();
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "12:30", kLate);
  env.SetUtc(2026, 12, 7, 11, 0, 0);
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "12:30", kEarly);
}

TEST_F(TagItems, TypedTimeShowsEvenWithoutAFlightPlanTime) {
  FilePlan("BAW1", "");
  Record("BAW1").m_EditedDepTime = "0000";
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "0000", kModified);
}

TEST_F(TagItems, RecordedTimesShowInTheirColours) {
  FilePlan("BAW1", "1230");
  CAircraftData& record = Record("BAW1");
  record.m_OffBlock = true;
  record.m_OffBlockTime = Stamp(9, 5, 7);
  record.m_TakenOff = true;
  record.m_TakeOffTime = Stamp(9, 20, 30);
  record.m_Landed = true;
  record.m_LandingTime = Stamp(10, 45, 1);
  ExpectColoured(world.GetTagItem("BAW1", kItemOffBlockTime), "09:05", kPush);
  ExpectColoured(world.GetTagItem("BAW1", kItemTakeOffTime), "09:20", kTakeoff);
  ExpectColoured(world.GetTagItem("BAW1", kItemLandingTime), "10:45", kLanding);
  plugin->m_AdtType = 2;
  ExpectColoured(world.GetTagItem("BAW1", kItemOffBlockTime), "09:05:07", kPush);
  plugin->m_AdtType = 7;
  ExpectColoured(world.GetTagItem("BAW1", kItemLandingTime), "45", kLanding);
}

TEST_F(TagItems, OutOfRangeFormatStillColoursWithoutText) {
  FilePlan("BAW1", "1230");
  CAircraftData& record = Record("BAW1");
  record.m_OffBlock = record.m_TakenOff = record.m_Landed = true;
  for (std::int32_t adt_type : {0, 8, 9, -1}) {
    plugin->m_AdtType = adt_type;
    ExpectColoured(world.GetTagItem("BAW1", kItemOffBlockTime), "", kPush);
    ExpectColoured(world.GetTagItem("BAW1", kItemTakeOffTime), "", kTakeoff);
    ExpectColoured(world.GetTagItem("BAW1", kItemLandingTime), "", kLanding);
  }
}

TEST_F(TagItems, UnsetFlagsAndMissingRecordsShowNothing) {
  FilePlan("BAW1", "1230");
  for (int item : {kItemOffBlockTime, kItemTakeOffTime, kItemLandingTime}) {
    ExpectNothing(world.GetTagItem("BAW1", item));  // no record
  }
  CAircraftData& record = Record("BAW1");
  record.m_TakeOffTime = Stamp(9, 0, 0);  // a time without its flag is not shown
  for (int item : {kItemOffBlockTime, kItemTakeOffTime, kItemLandingTime}) {
    ExpectNothing(world.GetTagItem("BAW1", item));
  }
  ExpectColoured(world.GetTagItem("BAW1", kItemEstimatedDepTime), "12:30", kEarly);
}

TEST_F(TagItems, OtherItemCodesLeaveTextAndColourUntouched) {
  FilePlan("BAW1", "1230");
  CAircraftData& record = Record("BAW1");
  record.m_OffBlock = true;
  record.m_EditedDepTime = "1200";
  for (int item : {0, 1, 84, 90, 36, -86, 1086}) ExpectNothing(world.GetTagItem("BAW1", item));
}

// Property: whatever the texts, the item never writes past the host's 16-byte buffer (the
// stand-in host gives exactly 16 bytes, so the sanitizers catch an overrun) and what it shows is
// a prefix of at most 15 characters.
TEST_F(TagItems, NoItemWritesPastTheHostBuffer) {
  const std::string texts[] = {"",
                               "1",
                               "12:30",
                               "123456789012345",
                               "1234567890123456",
                               "12345678901234567",
                               std::string(64, 'x'),
                               std::string(300, '9'),
                               "-99999999999",
                               "\xff\xfe\x80",
                               std::string("ab\0cd", 5),
                               "  12 30  "};
  for (const std::string& text : texts) {
    FilePlan("BAW1", text);
    Record("BAW1").m_EditedDepTime.clear();
    world.AddOrGetAircraft("BAW1").flight_plan.destination = text;
    world.AddOrGetAircraft("BAW1").route = {text, text, "ORTAC"};
    for (int item = kItemIntentionCode; item <= kItemLandingTime; ++item) {
      const auto answer = world.GetTagItem("BAW1", item);
      EXPECT_LE(answer.text.size(), 15u) << item;
    }
    Record("BAW1").m_EditedDepTime = text;
    const auto answer = world.GetTagItem("BAW1", kItemEstimatedDepTime);
    const std::string expected = text.substr(0, std::min(text.find('\0'), std::size_t{15}));
    if (!text.empty()) {
      EXPECT_EQ(answer.text, expected);
      EXPECT_EQ(answer.color_code, 1);
    }
  }
}

TEST_F(TagItems, RecordedTimesWithOversizedFieldsAreCutAtTheBuffer) {
  FilePlan("BAW1", "1230");
  CAircraftData& record = Record("BAW1");
  record.m_Landed = true;
  record.m_LandingTime = Stamp(65535, 65534, 65533);
  const char* const expected[] = {
      "65534:65533",      // 1 MM:SS
      "65535:65534:655",  // 2 HH:MM:SS, 17 characters cut to 15
      "65535:65534",      // 3 HH:MM
      "6553465533",       // 4 MMSS
      "655356553465533",  // 5 HHMMSS
      "6553565534",       // 6 HHMM
      "65534",            // 7 MM
  };
  for (std::int32_t adt_type = 1; adt_type <= 7; ++adt_type) {
    plugin->m_AdtType = adt_type;
    const auto answer = world.GetTagItem("BAW1", kItemLandingTime);
    EXPECT_EQ(answer.text, expected[adt_type - 1]) << "format " << adt_type;
  }
}

}  // namespace
}  // namespace kestrava
