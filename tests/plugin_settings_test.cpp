// The plug-in object's settings, registrations and life cycle, as the host sees them.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "plugin/log_settings.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using testing::PluginFixture;
using Registrations = std::vector<std::pair<std::string, int>>;

class PluginSettings : public PluginFixture {};

TEST_F(PluginSettings, EmptyStoreGivesTheDefaults) {
  LogEnabled = true;
  LogFilePath = "elsewhere.csv";
  QEXPlugin& p = Load();
  EXPECT_TRUE(p.m_SquawkEnabled);
  EXPECT_TRUE(p.m_InitAltsEnabled);
  EXPECT_TRUE(p.m_TimeSeparator);
  EXPECT_EQ(p.m_AdtType, 3);
  EXPECT_EQ(p.m_EarlyColour, 46080u);
  EXPECT_EQ(p.m_LateColour, 180u);
  EXPECT_EQ(p.m_PushColour, 11796480u);
  EXPECT_EQ(p.m_TakeoffColour, 16508866u);
  EXPECT_EQ(p.m_LandingColour, 7972310u);
  EXPECT_EQ(p.m_ModifiedColour, 8486256u);
  EXPECT_FALSE(LogEnabled);
  EXPECT_EQ(LogFilePath, "C:\\ZYT_STATS.csv");
  EXPECT_TRUE(p.m_EditCallsign.empty());
  EXPECT_TRUE(p.m_SquawkAirports.empty());
  EXPECT_TRUE(p.m_InitialAltitudes.empty());
}

TEST_F(PluginSettings, FlagsAreOnOnlyForTheExactTextOne) {
  for (const char* text : {"0", " 1", "11", "", "true", "yes"}) {
    QEXPlugin& p = Load({{"SQK", text}, {"ALT", text}, {"TIMESEP", text}, {"SAVELOG", text}});
    EXPECT_FALSE(p.m_SquawkEnabled) << text;
    EXPECT_FALSE(p.m_InitAltsEnabled) << text;
    EXPECT_FALSE(p.m_TimeSeparator) << text;
    EXPECT_FALSE(LogEnabled) << text;
  }
  QEXPlugin& p = Load({{"SQK", "1"}, {"ALT", "1"}, {"TIMESEP", "1"}, {"SAVELOG", "1"}});
  EXPECT_TRUE(p.m_SquawkEnabled && p.m_InitAltsEnabled && p.m_TimeSeparator && LogEnabled);
}

TEST_F(PluginSettings, NumbersTakeTheirLeadingDigits) {
  QEXPlugin& p = Load({{"EARLYCOL", "12345abc"},
                       {"LATECOL", "red"},
                       {"PUSHCOL", "4294967295"},
                       {"TOTCOL", "1234567890123456789012345678901234567890"},
                       {"LDTCOL", " 5"},  // a blank first: no digits
                       {"MODTCOL", "-5"},
                       {"ADTTYPE", "9"}});
  EXPECT_EQ(p.m_EarlyColour, 12345u);
  EXPECT_EQ(p.m_LateColour, 0u);
  EXPECT_EQ(p.m_PushColour, 4294967295u);
  EXPECT_EQ(p.m_TakeoffColour, 0xCE3F0AD2u);
  EXPECT_EQ(p.m_LandingColour, 0u);
  EXPECT_EQ(p.m_ModifiedColour, 4294967291u);
  EXPECT_EQ(p.m_AdtType, 9);
}

TEST_F(PluginSettings, LogPathIsTakenWhole) {
  Load({{"SAVELOGFILE", "  D:\\logs\\stats file.csv  "}});
  EXPECT_EQ(LogFilePath, "  D:\\logs\\stats file.csv  ");
}

TEST_F(PluginSettings, RegistersFiveItemsAndFiveFunctionsInOrder) {
  Load();
  const standin::PlugInBinding* binding = world.binding();
  ASSERT_NE(binding, nullptr);
  EXPECT_EQ(binding->tag_items, (Registrations{{"Intention Code", 85},
                                               {"Estimated Dep Time", 86},
                                               {"Actual Off-Block Time", 87},
                                               {"Actual Take-Off Time", 88},
                                               {"Actual Landing Time", 89}}));
  EXPECT_EQ(binding->tag_functions, (Registrations{{"Recycle Squawk Code", 36},
                                                   {"Reset Calculated TO Time", 41},
                                                   {"Reset Initial Altitude", 37},
                                                   {"Recycle Sqk & Alt", 38},
                                                   {"Edit Estimated Dep Time", 39}}));
}

class CountingObserver : public standin::WorldObserver {
 public:
  void SettingsSaved(const std::string&, const std::string&, const char*) override { ++saves; }
  int saves = 0;
};

TEST_F(PluginSettings, ConstructionAndDestructionWriteNothing) {
  CountingObserver observer;
  world.SetObserver(&observer);
  Load({{"SQK", "0"}});
  plugin.reset();
  EXPECT_EQ(observer.saves, 0);
  EXPECT_EQ(world.settings().entries().size(), 1u);
}

}  // namespace
}  // namespace kestrava
