// The squawk airport list in the plug-in settings: loading with the tokenizer rules, saving with
// the numbered keys cleared first.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

using Entries = std::vector<CICAOEntry>;
using Saved = testing::WorldRecorder::SavedSetting;

class SquawkAirportList : public testing::PluginFixture {
 protected:
  const char* Stored(const std::string& key) { return world.settings().Get(key); }
};

TEST_F(SquawkAirportList, EmptyStoreLoadsNothingAndSavingWritesOnlyTheSwitch) {
  QEXPlugin& p = Load();
  EXPECT_TRUE(p.m_SquawkAirports.empty());
  testing::WorldRecorder recorder;
  world.SetObserver(&recorder);
  p.SaveSquawkAirports();
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"SQK", "SQK", "1"}}));
}

TEST_F(SquawkAirportList, LoadingStopsAtTheFirstMissingKey) {
  QEXPlugin& p = Load({{"SQK1", "egll:1"}, {"SQK2", "EGKK:0"}, {"SQK4", "EGSS:1"}, {"SQK", "1"}});
  EXPECT_EQ(p.m_SquawkAirports, (Entries{{"EGLL", true}, {"EGKK", false}}));
}

TEST_F(SquawkAirportList, StoredValuesAreTokenizedAtColons) {
  struct Row {
    std::string stored;
    std::optional<CICAOEntry> entry;  // nothing: the key is skipped
  };
  const std::string long_code(254, 'A');
  const std::vector<Row> rows = {
      {"EGLL:1", CICAOEntry{"EGLL", true}},
      {"egkk:1", CICAOEntry{"EGKK", true}},
      {"EGLL:0", CICAOEntry{"EGLL", false}},
      {"EGLL:yes", CICAOEntry{"EGLL", false}},
      {"EGLL: 1", CICAOEntry{"EGLL", false}},
      {"EGLL:11", CICAOEntry{"EGLL", false}},
      {"::EGLL::1", CICAOEntry{"EGLL", true}},
      {"EGLL:1:0", CICAOEntry{"EGLL", true}},
      {"EGLL", std::nullopt},
      {"EGLL:", std::nullopt},
      {":1", std::nullopt},
      {"", std::nullopt},
      // Only the first 255 characters are read: the flag after them is lost.
      {long_code + ":1", std::nullopt},
      {std::string(253, 'B') + ":1", CICAOEntry{std::string(253, 'B'), true}},
  };
  for (const Row& row : rows) {
    // The row sits between two good entries: a skipped key does not end the list.
    QEXPlugin& p = Load({{"SQK1", "EDDF:1"}, {"SQK2", row.stored}, {"SQK3", "LFPG:0"}});
    Entries expected = {{"EDDF", true}};
    if (row.entry) expected.push_back(*row.entry);
    expected.push_back({"LFPG", false});
    EXPECT_EQ(p.m_SquawkAirports, expected) << row.stored.substr(0, 20);
  }
}

TEST_F(SquawkAirportList, DuplicatesLoadAsStored) {
  QEXPlugin& p = Load({{"SQK1", "EGLL:0"}, {"SQK2", "EGLL:1"}});
  EXPECT_EQ(p.m_SquawkAirports, (Entries{{"EGLL", false}, {"EGLL", true}}));
}

TEST_F(SquawkAirportList, ThreeSavedAfterFiveClearsTheRest) {
  QEXPlugin& p = Load({{"SQK1", "EGLL:1"},
                       {"SQK2", "EGKK:1"},
                       {"SQK3", "EGSS:0"},
                       {"SQK4", "EGGW:1"},
                       {"SQK5", "EGLC:1"}});
  ASSERT_EQ(p.m_SquawkAirports.size(), 5u);
  testing::WorldRecorder recorder;
  world.SetObserver(&recorder);
  p.m_SquawkAirports = {{"LFPG", true}, {"EDDF", false}, {"EHAM", true}};
  p.m_SquawkEnabled = false;
  p.SaveSquawkAirports();

  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"SQK1", "SQK1", std::nullopt},
                                                   {"SQK2", "SQK2", std::nullopt},
                                                   {"SQK3", "SQK3", std::nullopt},
                                                   {"SQK4", "SQK4", std::nullopt},
                                                   {"SQK5", "SQK5", std::nullopt},
                                                   {"SQK1", "SQK1", "LFPG:1"},
                                                   {"SQK2", "SQK2", "EDDF:0"},
                                                   {"SQK3", "SQK3", "EHAM:1"},
                                                   {"SQK", "SQK", "0"}}));
  EXPECT_EQ(Stored("SQK4"), nullptr);
  EXPECT_EQ(Stored("SQK5"), nullptr);

  QEXPlugin& reloaded = Load();
  EXPECT_EQ(reloaded.m_SquawkAirports, (Entries{{"LFPG", true}, {"EDDF", false}, {"EHAM", true}}));
  EXPECT_FALSE(reloaded.m_SquawkEnabled);
}

TEST_F(SquawkAirportList, LongCodesAreSavedWhole) {
  QEXPlugin& p = Load();
  p.m_SquawkAirports = {{"ABCDEFGHIJKL", true}};
  p.SaveSquawkAirports();
  ASSERT_NE(Stored("SQK1"), nullptr);
  EXPECT_STREQ(Stored("SQK1"), "ABCDEFGHIJKL:1");
}

TEST_F(SquawkAirportList, TheLongestEntriesThatLoadLoadAgainAfterASave) {
  // Each stored text is at most the 255 characters read, and loads.
  const std::string stored[] = {
      std::string(253, 'A') + ":1",
      std::string(253, 'b') + ":0",
      ":::" + std::string(250, 'c') + ":1",
      std::string(200, 'D') + "::1:more:fields" + std::string(300, 'x'),
  };
  std::map<std::string, std::string> settings;
  for (std::size_t i = 0; i < std::size(stored); ++i) {
    settings["SQK" + std::to_string(i + 1)] = stored[i];
  }
  QEXPlugin& p = Load(settings);
  ASSERT_EQ(p.m_SquawkAirports.size(), std::size(stored));
  const Entries list = p.m_SquawkAirports;
  p.SaveSquawkAirports();
  EXPECT_EQ(Load().m_SquawkAirports, list);
}

}  // namespace
}  // namespace kestrava
