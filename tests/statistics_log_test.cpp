// The statistics log: exact line bytes, quoting, and when a line is (not) written.
#include "aircraft/statistics_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/log_settings.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using testing::PluginFixture;

constexpr char kLog[] = "log/stats.csv";

class StatisticsLog : public PluginFixture {
 protected:
  void SetUp() override { Load({{"SAVELOG", "1"}, {"SAVELOGFILE", kLog}}); }

  // An aircraft with a complete flight plan.
  void FileFlightPlan(const std::string& callsign) {
    standin::Aircraft& aircraft = world.AddOrGetAircraft(callsign);
    aircraft.pilot_name = "John Smith";
    aircraft.flight_plan.aircraft_type = "B738";
    aircraft.flight_plan.origin = "EGLL";
    aircraft.flight_plan.departure_rwy = "27R";
    aircraft.flight_plan.sid = "CPT3F";
    aircraft.flight_plan.destination = "LFPG";
    aircraft.flight_plan.arrival_rwy = "26L";
    aircraft.flight_plan.star = "MOPAR1A";
  }
  void TakeOff(const std::string& callsign) {
    world.ReportPosition(callsign, {51.47, -0.45}, 40);
    world.ReportPosition(callsign, {51.47, -0.46}, 90);
  }
  std::vector<std::string>& Lines() { return env.files[kLog]; }
};

TEST_F(StatisticsLog, TakeOffAndLandingLinesAreExact) {
  FileFlightPlan("BAW123");
  TakeOff("BAW123");  // the clock reads 2024-06-05 14:03:09 UTC
  env.SetUtc(2024, 6, 5, 15, 10, 0);
  world.ReportPosition("BAW123", {49.0, 2.5}, 60);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "BAW123,John Smith,B738,EGLL,27R,CPT3F,LFPG,26L,MOPAR1A,D,"
                         "05/06/2024 14:03:09",
                         "BAW123,John Smith,B738,EGLL,27R,CPT3F,LFPG,26L,MOPAR1A,A,"
                         "05/06/2024 15:10:00",
                     }));
}

TEST_F(StatisticsLog, EmptyHostTextsGiveEmptyFields) {
  TakeOff("N123AB");  // no pilot name, no flight plan texts
  EXPECT_EQ(Lines(), std::vector<std::string>{"N123AB,,,,,,,,,D,05/06/2024 14:03:09"});
}

TEST_F(StatisticsLog, FieldsWithSeparatorsAreQuoted) {
  struct Case {
    const char* text;
    const char* written;
  };
  const Case cases[] = {
      {"", ""},
      {"Jane Doe", "Jane Doe"},
      {"O'Brien ;-) \\ |", "O'Brien ;-) \\ |"},
      {"Doe, Jane", "\"Doe, Jane\""},
      {"Jane \"JD\" Doe", "\"Jane \"\"JD\"\" Doe\""},
      {"\"", "\"\"\"\""},
      {"line\nbreak", "\"line\nbreak\""},
      {"carriage\rreturn", "\"carriage\rreturn\""},
      {",", "\",\""},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.text), c.written) << c.text;
}

TEST_F(StatisticsLog, APilotNameCannotShiftColumnsOrForgeALine) {
  FileFlightPlan("EZY42");
  world.AddOrGetAircraft("EZY42").pilot_name = "Smith, J \"Jet\"\nEZY99,X,A320";
  TakeOff("EZY42");
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0],
            "EZY42,\"Smith, J \"\"Jet\"\"\nEZY99,X,A320\",B738,EGLL,27R,CPT3F,LFPG,26L,MOPAR1A,D,"
            "05/06/2024 14:03:09");
}

TEST_F(StatisticsLog, LongFieldsAreWrittenWhole) {
  const std::string name(3000, 'x');
  world.AddOrGetAircraft("LONG1").pilot_name = name;
  TakeOff("LONG1");
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0], "LONG1," + name + ",,,,,,,,D,05/06/2024 14:03:09");
}

TEST_F(StatisticsLog, NothingIsWrittenWhileTheLogIsOff) {
  Load({{"SAVELOG", "0"}, {"SAVELOGFILE", kLog}});
  TakeOff("AAL1");
  EXPECT_TRUE(env.files.empty());
  EXPECT_TRUE(registry.GetAircraft(registry.FindAircraft("AAL1")).m_TakenOff);
}

TEST_F(StatisticsLog, AnUnwritablePathLosesTheLineQuietlyButNotTheEvent) {
  env.unwritable.push_back(kLog);
  TakeOff("UAL2");
  EXPECT_TRUE(env.files.empty());
  EXPECT_TRUE(env.notices.empty());
  const CAircraftData& record = registry.GetAircraft(registry.FindAircraft("UAL2"));
  EXPECT_TRUE(record.m_TakenOff);
  EXPECT_EQ(record.m_TakeOffTime.wSecond, 9);
}

TEST_F(StatisticsLog, EnablingAfterATakeOffWritesOnlyLaterEvents) {
  LogEnabled = false;
  TakeOff("KLM3");
  EXPECT_TRUE(env.files.empty());
  LogEnabled = true;
  world.ReportPosition("KLM3", {52.3, 4.7}, 30);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0], "KLM3,,,,,,,,,A,05/06/2024 14:03:09");
}

TEST_F(StatisticsLog, EachLineGoesToThePathSetAtItsTime) {
  TakeOff("SAS4");
  LogFilePath = "other.csv";
  world.ReportPosition("SAS4", {55.6, 12.6}, 10);
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(env.files["other.csv"].size(), 1u);
}

TEST_F(StatisticsLog, NoLineWithoutAValidAircraftOrWithoutTheEventFlag) {
  CAircraftData record("X1");
  record.m_TakenOff = true;
  WriteStatisticsLog(env, EuroScopePlugIn::CAircraft{}, true, record);
  EuroScopePlugIn::CAircraft handle;
  handle.m_pData = &world.AddOrGetAircraft("X1");
  WriteStatisticsLog(env, handle, false, record);  // no landing stamped
  EXPECT_TRUE(env.files.empty());
  WriteStatisticsLog(env, handle, true, record);
  EXPECT_EQ(Lines().size(), 1u);
}

TEST(StatisticsLogTime, DayMonthYearAndTimeWithLeadingZeros) {
  SystemTime t;
  t.wYear = 2024;
  t.wMonth = 6;
  t.wDay = 5;
  t.wHour = 4;
  t.wMinute = 3;
  t.wSecond = 9;
  EXPECT_EQ(LogTimeText(t), "05/06/2024 04:03:09");
  t.wYear = 987;
  t.wDay = 31;
  t.wMonth = 12;
  t.wHour = 23;
  t.wMinute = 59;
  t.wSecond = 59;
  EXPECT_EQ(LogTimeText(t), "31/12/0987 23:59:59");
}

}  // namespace
}  // namespace kestrava
