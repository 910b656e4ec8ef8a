// Typed commands: how a line is taken apart, and the clearance text on the clipboard.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "plugin/clearance_text.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using Texts = std::vector<std::string>;

const char kBaw1Clearance[] =
    "CLD 0705 04032026 EGLL PDC 000\r\n"
    "BAW1 CLRD TO LFPG OFF 27R VIA BPK7F\r\n"
    "SQUAWK 4621 ADT 1230/1234 NEXT FREQ UNK\r\n"
    "ATIS TEST";

class CommandDispatch : public testing::PluginFixture {
 protected:
  void SetUp() override {
    Load();
    env.SetUtc(2026, 3, 4, 7, 5, 9);
    standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
    a.flight_plan.origin = "EGLL";
    a.flight_plan.destination = "LFPG";
    a.flight_plan.departure_rwy = "27R";
    a.flight_plan.sid = "BPK7F";
    a.flight_plan.estimated_departure_time = "1230";
    a.flight_plan.actual_departure_time = "1234";
    a.squawk = "4621";
  }
};

TEST_F(CommandDispatch, ClearanceTextByteForByte) {
  EXPECT_TRUE(world.CompileCommand(".pdc BAW1"));
  EXPECT_EQ(env.clipboard, Texts{kBaw1Clearance});
}

TEST_F(CommandDispatch, PositionsOneAndFiveAreNotLookedAt) {
  for (const char* line : {".pdc BAW1", "xpdc_BAW1", " pdc BAW1", "1pdc1BAW1", "Xpdc.BAW1"}) {
    env.clipboard.clear();
    EXPECT_TRUE(world.CompileCommand(line)) << line;
    EXPECT_EQ(env.clipboard, Texts{kBaw1Clearance}) << line;
  }
}

TEST_F(CommandDispatch, SettingsCommandsOpenTheirDialogsWithEitherWord) {
  const struct {
    const char* argument;
    const char* caption;
  } cases[] = {{"s", "QEX Squawk"},
               {"i", "Initial Altitudes"},
               {"t", "QEX Time Settings"},
               {"l", "CSV Log File"}};
  for (const auto& c : cases) {
    for (const char* word : {".qex ", ".zyt ", "_zyt_"}) {
      std::string caption;
      env.dialog_script = [&](DialogUser& user) { caption = user.Caption(); };
      // Closed without OK: handled, nothing saved.
      EXPECT_TRUE(world.CompileCommand(word + std::string(c.argument))) << word << c.argument;
      EXPECT_EQ(caption, c.caption) << word << c.argument;
    }
  }
  EXPECT_TRUE(world.settings().entries().empty());
}

TEST_F(CommandDispatch, DeclinedLinesDoNothing) {
  world.AddOrGetAircraft("baw1");  // known, but only in lower case
  int dialogs = 0;
  env.dialog_script = [&](DialogUser&) { ++dialogs; };
  for (const char* line : {
           "",          ".",          ".pdc",    "pdc ",    ".pdc ",  // too short, or no callsign
           ".PDC BAW1", ".Pdc BAW1",                                  // the command word is exact
           ".pdc BAW2", ".pdc BAW1 ",  // callsigns the host does not know
           ".pdcBAW1",                 // the argument starts at position 6: "AW1"
           ".qex x",    ".zyt x",     ".qex ss", ".qex S",  ".QEX s",     ".zyt",
           ".qex ",     ".abc BAW1",  ".cd 10",  ".cdp 10", "..pdc BAW1", ".qex t ",
           ".qex I",    ".ZYT l",     ".zyt li", ".qex h",  // dialogs: exact only
       }) {
    EXPECT_FALSE(world.CompileCommand(line)) << '"' << line << '"';
  }
  EXPECT_FALSE(plugin->OnCompileCommand(nullptr));
  EXPECT_TRUE(env.clipboard.empty());
  EXPECT_TRUE(world.settings().entries().empty());
  EXPECT_EQ(dialogs, 0);
}

TEST_F(CommandDispatch, CallsignIsTakenAsTyped) {
  world.AddOrGetAircraft("baw1").flight_plan.origin = "EGKK";
  EXPECT_TRUE(world.CompileCommand(".pdc baw1"));
  ASSERT_EQ(env.clipboard.size(), 1u);
  EXPECT_EQ(env.clipboard[0].substr(0, 40), "CLD 0705 04032026 EGKK PDC 000\r\nbaw1 CLR");
}

TEST_F(CommandDispatch, AircraftWithoutFlightPlanGivesEmptyFields) {
  world.AddOrGetAircraft("N123");
  EXPECT_TRUE(world.CompileCommand(".pdc N123"));
  EXPECT_EQ(env.clipboard, Texts{"CLD 0705 04032026  PDC 000\r\n"
                                 "N123 CLRD TO  OFF  VIA \r\n"
                                 "SQUAWK  ADT / NEXT FREQ UNK\r\n"
                                 "ATIS TEST"});
}

TEST_F(CommandDispatch, LongFieldsArePlacedWhole) {
  const std::string route_like(3000, 'X');
  world.AddOrGetAircraft("BAW1").flight_plan.sid = route_like;
  world.AddOrGetAircraft("BAW1").flight_plan.destination = route_like;
  EXPECT_TRUE(world.CompileCommand(".pdc BAW1"));
  ASSERT_EQ(env.clipboard.size(), 1u);
  const std::string& text = env.clipboard[0];
  const std::size_t replaced = std::string_view("LFPG").size() + std::string_view("BPK7F").size();
  EXPECT_EQ(text.size(), sizeof(kBaw1Clearance) - 1 - replaced + 2 * route_like.size());
  EXPECT_NE(text.find(" VIA " + route_like + "\r\nSQUAWK 4621"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 11), "\r\nATIS TEST");
}

TEST(ClearanceText, DateAndTimeArePaddedWithoutSeparators) {
  const struct {
    SystemTime now;
    const char* first_line;
  } cases[] = {
      {{2026, 1, 0, 2, 0, 0, 0, 0}, "CLD 0000 02012026 EGLL PDC 000"},
      {{2026, 12, 0, 31, 23, 59, 59, 999}, "CLD 2359 31122026 EGLL PDC 000"},
      {{999, 7, 0, 9, 9, 5, 0, 0}, "CLD 0905 09070999 EGLL PDC 000"},
  };
  ClearanceFields fields;
  fields.origin = "EGLL";
  for (const auto& c : cases) {
    const std::string text = ComposeClearanceText(fields, c.now);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), c.first_line);
  }
}

}  // namespace
}  // namespace kestrava
