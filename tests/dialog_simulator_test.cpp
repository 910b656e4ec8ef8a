// The simulator's dialog actions on commands: bad actions refused before anything runs, and
// actions a command cannot use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/simulator_fixture.h"

namespace kestrava::sim {
namespace {

using DialogSimulator = testing::SimulatorFixture;

std::string Scenario(const std::string& steps) {
  return R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [)" +
         steps + "]}";
}

std::string CommandWithActions(const std::string& actions) {
  return Scenario(R"({"t": 0, "command": {"line": ".qex s", "dialog": [)" + actions + "]}}");
}

TEST_F(DialogSimulator, BadActionsNameTheActionAndTheField) {
  struct Case {
    const char* actions;
    const char* message;
  };
  const Case cases[] = {
      {R"({"click": 1}, 5)",
       R"(steps[0].command.dialog[1]: expected an object such as {"click": 1}, got a whole number)"},
      {R"({})", "steps[0].command.dialog[0]: names no action (one of: type, keys, paste,"},
      {R"({"click": 1, "close": true})",
       R"(steps[0].command.dialog[0]: holds two actions, "click" and "close")"},
      {R"({"click": 1, "colour": "red"})",
       "steps[0].command.dialog[0].colour: expected a colour 0 to 16777215"},
      {R"({"click": 1, "colour": 16777216})", "dialog[0].colour: expected a colour 0 to 16777215"},
      {R"({"click": 1, "file": ""})", "dialog[0].file: must not be empty (null cancels"},
      {R"({"click": 1, "file": 7})", "dialog[0].file: expected a file path or null, got a whole"},
      {R"({"click": 0})", "dialog[0].click: a control id must be 1 to 65535"},
      {R"({"click": "OK"})", "dialog[0].click: expected a whole number, got a text"},
      {R"({"type": 3001})", "dialog[0].text: missing (a text is required)"},
      {R"({"paste": 3001, "text": 5})", "dialog[0].text: expected a text, got a whole number"},
      {R"({"keys": "EGLL", "text": "x"})", "dialog[0].text: unknown field"},
      {R"({"check": 3014})", "dialog[0].value: missing (true or false is required)"},
      {R"({"check": 3014, "value": 1})", "dialog[0].value: expected true or false, got a whole"},
      {R"({"select": 3031, "index": -2})", "dialog[0].index: must be 0 or more, or -1 for none"},
      {R"({"spin": 3027, "delta": 5000})", "dialog[0].delta: at most 1000 presses either way"},
      {R"({"select_row": 3000})", "dialog[0].row: missing (a whole number is required)"},
      {R"({"tick": 3000, "row": -1, "value": true})", "dialog[0].row: must be 0 or more"},
      {R"({"double_click": 3006, "row": 0.5})", "dialog[0].row: expected a whole number, got a"},
      {R"({"press": "tab"})", R"(dialog[0].press: the only key is "enter")"},
      {R"({"close": false})", "dialog[0].close: must be true"},
      {R"({"snapshot": ""})", "dialog[0].snapshot: must not be empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    EXPECT_EQ(RunScenario(CommandWithActions(c.actions)), kExitBadScenario);
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out" / "events.jsonl"));
  }
  EXPECT_EQ(RunScenario(Scenario(R"({"t": 0, "command": {"line": ".qex s", "dialog": {}}})")),
            kExitBadScenario);
  EXPECT_NE(err_.str().find("steps[0].command.dialog: expected a list of actions, got an object"),
            std::string::npos)
      << err_.str();
}

TEST_F(DialogSimulator, ActionsReachTheDialogAndItsColourAndFileDialogsInOrder) {
  ASSERT_EQ(RunScenario(Scenario(R"(
    {"t": 0, "command": {"line": ".qex l", "dialog": [
      {"check": 3032, "value": true}, {"click": 3034}, {"click": 3034, "file": "movements.csv"},
      {"click": 1}]}},
    {"t": 1, "command": {"line": ".qex t", "dialog": [
      {"click": 3016, "colour": 255}, {"check": 3015, "value": false}, {"click": 3018}]}})")),
            kExitDone)
      << err_.str();
  const std::vector<std::string> expected = {
      R"({"t":0,"event":"dialog_opened","dialog":"CSV Log File","controls":{"3032":{"checked":false},"3033":{"text":"C:\\ZYT_STATS.csv"}}})",
      R"({"t":0,"event":"file_dialog","initial":"C:\\ZYT_STATS.csv","extension":"csv","filter":"CSV File (*.csv)|*.csv","answer":null})",
      R"({"t":0,"event":"file_dialog","initial":"C:\\ZYT_STATS.csv","extension":"csv","filter":"CSV File (*.csv)|*.csv","answer":"movements.csv"})",
      R"({"t":0,"event":"dialog_closed","dialog":"CSV Log File","result":1,"controls":{"3032":{"checked":true},"3033":{"text":"movements.csv"}}})",
      R"({"t":0,"event":"settings_saved","key":"SAVELOG","description":"Save Log","value":"1"})",
      R"({"t":0,"event":"settings_saved","key":"SAVELOGFILE","description":"Log File Path","value":"movements.csv"})",
      R"({"t":0,"event":"command","line":".qex l","handled":true})",
      R"({"t":1,"event":"dialog_opened","dialog":"QEX Time Settings","controls":{"3015":{"checked":true},"3031":{"items":["MM:SS","HH:MM:SS","HH:MM","MMSS","HHMMSS","HHMM","MM"],"selected":2},"3016":{"colour":46080},"3018":{"colour":180},"3019":{"colour":11796480},"3020":{"colour":16508866},"3021":{"colour":7972310},"3022":{"colour":8486256}}})",
      R"({"t":1,"event":"colour_dialog","initial":46080,"full_open":true,"answer":255})",
      // The answer belongs to the click that gave it: the next colour dialog is cancelled.
      R"({"t":1,"event":"colour_dialog","initial":180,"full_open":true,"answer":null})",
      // Left open after the last action: closed as by the close box, nothing saved.
      R"({"t":1,"event":"dialog_closed","dialog":"QEX Time Settings","result":2,"controls":{"3015":{"checked":false},"3031":{"items":["MM:SS","HH:MM:SS","HH:MM","MMSS","HHMMSS","HHMM","MM"],"selected":2},"3016":{"colour":255},"3018":{"colour":180},"3019":{"colour":11796480},"3020":{"colour":16508866},"3021":{"colour":7972310},"3022":{"colour":8486256}}})",
      R"({"t":1,"event":"command","line":".qex t","handled":true})",
  };
  const auto events = EventLines();
  ASSERT_EQ(events.size(), expected.size() + 3) << err_.str();  // loaded, unloaded, settings
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(events[i + 1], expected[i]);
}

// A scenario asking for the impossible is a bad scenario, found when it is played.
TEST_F(DialogSimulator, ActionsThatCannotBeDoneStopTheRunNamingTheAction) {
  struct Case {
    const char* step;
    const char* message;
  };
  const Case cases[] = {
      {R"({"t": 0, "command": {"line": ".pdc ", "dialog": [{"click": 1}]}})",
       "steps[0].command.dialog: the command opened no dialog"},
      {R"({"t": 0, "command": {"line": ".qex l", "dialog": [{"click": 2}, {"check": 3032,
          "value": true}]}})",
       "steps[0].command.dialog[1]: the dialog 'CSV Log File' has closed already"},
      {R"({"t": 0, "command": {"line": ".qex l", "dialog": [{"check": 3033, "value": true}]}})",
       "steps[0].command.dialog[0]: the dialog has no check box 3033 ('CSV Log File')"},
      {R"({"t": 0, "command": {"line": ".qex l", "dialog": [{"click": 2, "colour": 255}]}})",
       "steps[0].command.dialog[0].colour: the click opened no colour dialog ('CSV Log File')"},
      {R"({"t": 0, "command": {"line": ".qex l", "dialog": [{"click": 2, "file": "a.csv"}]}})",
       "steps[0].command.dialog[0].file: the click opened no save-file dialog ('CSV Log File')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(RunScenario(Scenario(c.step)), kExitBadScenario);
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
    const auto events = EventLines();
    ASSERT_FALSE(events.empty());
    EXPECT_NE(events.back().find(R"("event":"command")"), std::string::npos) << events.back();
  }
}

}  // namespace
}  // namespace kestrava::sim
