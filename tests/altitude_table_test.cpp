// The initial altitude table's stored form: reading rows, loading ALT1, ALT2, … and saving.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "altitudes/altitude_row.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

using testing::WorldRecorder;
using Saved = WorldRecorder::SavedSetting;

CAltEntry Row(std::string icao, std::string sid, std::int32_t feet, bool enabled) {
  return CAltEntry{std::move(icao), std::move(sid), feet, enabled};
}

TEST(AltitudeRow, ReadsStoredValues) {
  const std::string long_icao(250, 'A');
  const struct {
    std::string stored;
    std::optional<CAltEntry> row;
  } cases[] = {
      {"EGLL:BPK7F:6000:1", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL:BPK7F:6000:0", Row("EGLL", "BPK7F", 6000, false)},
      {"egll:bpk7f:6000:1", Row("egll", "bpk7f", 6000, true)},  // case kept as stored
      {"EGLL:BPK7F:6000:01", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL:BPK7F:6000:1x", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL:BPK7F:6000: 1", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL:BPK7F:6000:2", Row("EGLL", "BPK7F", 6000, false)},
      {"EGLL:BPK7F:6000:yes", Row("EGLL", "BPK7F", 6000, false)},
      {"EGLL:BPK7F:6000ft:1", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL:BPK7F:-500:1", Row("EGLL", "BPK7F", -500, true)},
      {"EGLL:BPK7F:4294966796:1", Row("EGLL", "BPK7F", -500, true)},  // as it was saved
      {"::EGLL::BPK7F:::6000::1", Row("EGLL", "BPK7F", 6000, true)},  // separators collapse
      {"EGLL:BPK7F:6000:1:extra:more", Row("EGLL", "BPK7F", 6000, true)},
      {"EGLL::6000:1", std::nullopt},  // the empty SID vanishes: only three fields
      {"EGLL:BPK7F:6000", std::nullopt},
      {"EGLL:BPK7F:6000:", std::nullopt},
      {"EGLL:BPK7F:0:1", std::nullopt},
      {"EGLL:BPK7F:ft6000:1", std::nullopt},
      {"", std::nullopt},
      {":::", std::nullopt},
      // Only the first 255 characters are read: the altitude and flag lie beyond them.
      {long_icao + ":BPK7F:6000:1", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseAltitudeRow(c.stored), c.row) << c.stored;
  }
}

TEST(AltitudeRow, WritesStoredValues) {
  EXPECT_EQ(AltitudeRowText(Row("EGLL", "BPK7F", 6000, true)), "EGLL:BPK7F:6000:1");
  EXPECT_EQ(AltitudeRowText(Row("EGKK", "LAM1X", 60000, false)), "EGKK:LAM1X:60000:0");
  EXPECT_EQ(AltitudeRowText(Row("EGLL", "BPK7F", -500, true)), "EGLL:BPK7F:4294966796:1");
  EXPECT_EQ(AltitudeRowKey(1), "ALT1");
  EXPECT_EQ(AltitudeRowKey(12), "ALT12");
}

class AltitudeTable : public testing::PluginFixture {
 protected:
  void SetUp() override { world.SetObserver(&recorder); }
  WorldRecorder recorder;
};

TEST_F(AltitudeTable, EmptyStoreLoadsAnEmptyTable) {
  EXPECT_TRUE(Load().m_InitialAltitudes.empty());
}

TEST_F(AltitudeTable, LoadSkipsBadRowsAndStopsAtTheFirstGap) {
  QEXPlugin& p = Load({{"ALT1", "EGLL:BPK7F:6000:1"},
                       {"ALT2", "EGLL::6000:1"},       // skipped, reading goes on
                       {"ALT3", "egkk:lam1x:5000:1"},  // kept in lower case
                       {"ALT4", "EGLL:BPK7F:7000:0"},
                       {"ALT6", "EGSS:CLN1E:4000:1"}});  // after the gap: never read
  EXPECT_EQ(p.m_InitialAltitudes, (std::vector<CAltEntry>{Row("EGLL", "BPK7F", 6000, true),
                                                          Row("egkk", "lam1x", 5000, true),
                                                          Row("EGLL", "BPK7F", 7000, false)}));
}

TEST_F(AltitudeTable, LoadReplacesTheTable) {
  QEXPlugin& p = Load({{"ALT1", "EGLL:BPK7F:6000:1"}});
  p.m_InitialAltitudes.push_back(Row("EGKK", "LAM1X", 5000, true));
  p.LoadInitialAltitudes();
  EXPECT_EQ(p.m_InitialAltitudes, (std::vector<CAltEntry>{Row("EGLL", "BPK7F", 6000, true)}));
}

TEST_F(AltitudeTable, SavingAnEmptyTableWritesOnlyTheSwitch) {
  QEXPlugin& p = Load();
  p.SaveInitialAltitudes();
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"ALT", "ALT", "1"}}));
}

TEST_F(AltitudeTable, SaveClearsTheOldRowsThenWritesEachRowAndTheSwitch) {
  QEXPlugin& p = Load({{"ALT1", "A"}, {"ALT2", "B"}, {"ALT3", "C"}});
  p.m_InitialAltitudes = {Row("EGLL", "BPK7F", 6000, true), Row("EGKK", "LAM1X", 5000, false)};
  p.m_InitAltsEnabled = false;
  p.SaveInitialAltitudes();
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"ALT1", "ALT1", std::nullopt},
                                                   {"ALT2", "ALT2", std::nullopt},
                                                   {"ALT3", "ALT3", std::nullopt},
                                                   {"ALT1", "ALT1", "EGLL:BPK7F:6000:1"},
                                                   {"ALT2", "ALT2", "EGKK:LAM1X:5000:0"},
                                                   {"ALT", "ALT", "0"}}));
  EXPECT_EQ(world.settings().Get("ALT3"), nullptr);
}

TEST_F(AltitudeTable, WhatIsSavedLoadsBackTheSame) {
  QEXPlugin& p = Load();
  const std::vector<CAltEntry> table = {
      Row("EGLL", "BPK7F", 6000, true),
      Row("EGLL", "BPK7F", 7000, false),  // a duplicate pair keeps its place
      Row("egkk", "lam1x", -500, true),
      // Longer than the 29 characters a row normally takes: written whole.
      Row("EGLLEGLLEGLL", "VERYLONGSIDNAMEINDEED", 60000, true),
  };
  p.m_InitialAltitudes = table;
  p.m_InitAltsEnabled = false;
  p.SaveInitialAltitudes();
  QEXPlugin& reloaded = Load();
  EXPECT_EQ(reloaded.m_InitialAltitudes, table);
  EXPECT_FALSE(reloaded.m_InitAltsEnabled);
}

TEST_F(AltitudeTable, TheLongestRowsThatLoadLoadAgainAfterASave) {
  // Each stored text is at most the 255 characters read, and loads.
  const std::string sid(236, 'S');
  const std::string stored[] = {
      "A:" + std::string(248, 'S') + ":-1:1",  // 255 characters; unsigned, -1 takes ten digits
      "EGLL:" + sid + ":-5:1",
      "EGLL:" + sid + ":-2147483648:1",  // 255 characters
      "EGLL:" + sid + "::4294967295:0",
      "EGLL:" + sid + ": +6000:01",
      "::EGLL::" + std::string(232, 'S') + ":::-70:1",
      "EGLL:" + sid + ":-99:1:and more beyond what is read" + std::string(300, 'x'),
  };
  std::map<std::string, std::string> settings;
  for (std::size_t i = 0; i < std::size(stored); ++i) {
    settings[AltitudeRowKey(static_cast<int>(i) + 1)] = stored[i];
  }
  QEXPlugin& p = Load(settings);
  ASSERT_EQ(p.m_InitialAltitudes.size(), std::size(stored));
  const std::vector<CAltEntry> table = p.m_InitialAltitudes;
  p.SaveInitialAltitudes();
  EXPECT_EQ(Load().m_InitialAltitudes, table);
  // Rows that fit are written in the unsigned form.
  EXPECT_EQ(std::string(world.settings().Get("ALT2")), "EGLL:" + sid + ":4294967291:1");
}

}  // namespace
}  // namespace kestrava
