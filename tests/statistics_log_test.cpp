// The statistics log: exact line bytes, quoting, and when a line is (not) written.
#include "aircraft/statistics_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_append.h"
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

TEST_F(StatisticsLog, AnUnwritablePathLosesTheLineButNotTheEvent) {
  env.unwritable.push_back(kLog);
  TakeOff("UAL2");
  EXPECT_TRUE(env.files.empty());
  EXPECT_EQ(world.user_messages().size(), 1u);
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
  StatisticsLogHealth health(*plugin);
  WriteStatisticsLog(env, health, EuroScopePlugIn::CAircraft{}, true, record);
  EuroScopePlugIn::CAircraft handle;
  handle.m_pData = &world.AddOrGetAircraft("X1");
  WriteStatisticsLog(env, health, handle, false, record);  // no landing stamped
  EXPECT_TRUE(env.files.empty());
  WriteStatisticsLog(env, health, handle, true, record);
  EXPECT_EQ(Lines().size(), 1u);
}

// The log on the real file system, whose writes can be made to fail as on a full disk.
class DiskEnv : public testing::FakeEnv {
 public:
  AppendResult AppendLine(const std::string& path, std::string_view line) override {
    return AppendToFile(path, std::string(line) + "\n", limit);
  }
  WriteLimit limit;
};

TEST(StatisticsLogFailure, OneMessageNamesThePathAndReasonUntilALineIsWrittenAgain) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "kestrava-statistics-log";
  std::filesystem::create_directories(folder);
  const std::string good = (folder / "good.csv").string();
  const struct {
    const char* name;
    std::string path;
    WriteLimit limit;
    const char* reason;
  } cases[] = {
      {"a folder", folder.string(), {}, kAppendReasonFolder},
      {"a full disk", (folder / "full.csv").string(), {0}, kAppendReasonDiskFull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DiskEnv env;
    AircraftRegistry registry;
    standin::World world;
    world.settings().Preset("SAVELOG", "1");
    world.settings().Preset("SAVELOGFILE", c.path);
    QEXPlugin plugin(env, registry);
    world.AttachPlugIn(&plugin);
    const auto fly = [&](const std::string& callsign) {
      world.ReportPosition(callsign, {51.47, -0.45}, 40);
      world.ReportPosition(callsign, {51.47, -0.46}, 90);
      world.ReportPosition(callsign, {51.47, -0.46}, 50);
    };
    const standin::UserMessage lost{"Kestrava",
                                    "Statistics log",
                                    "The statistics log cannot be written to " + c.path + " (" +
                                        c.reason +
                                        "). Take-offs and landings are not logged until it can "
                                        "be written again.",
                                    true,
                                    true,
                                    false,
                                    false,
                                    false};

    env.limit = c.limit;
    fly("BAW1");  // two lines lost
    fly("BAW2");
    EXPECT_EQ(world.user_messages(), std::vector<standin::UserMessage>{lost});

    LogFilePath = good;
    env.limit = {};
    fly("BAW3");  // written: the streak ends, silently
    EXPECT_EQ(world.user_messages().size(), 1u);

    LogFilePath = c.path;
    env.limit = c.limit;
    fly("BAW4");
    EXPECT_EQ(world.user_messages(), (std::vector<standin::UserMessage>{lost, lost}));
  }
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
