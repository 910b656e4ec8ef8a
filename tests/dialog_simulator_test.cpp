// The simulator's dialog actions on commands: bad actions refused before anything runs, and
// actions a command cannot use.
#include <gtest/gtest.h>

#include <string>

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

TEST_F(DialogSimulator, ActionsForACommandThatOpensNoDialogStopTheRun) {
  EXPECT_NE(RunScenario(Scenario(R"({"t": 0, "command": {"line": ".pdc ", "dialog": [
              {"click": 1}]}})")),
            kExitDone);
  EXPECT_NE(err_.str().find("steps[0].command.dialog: the command opened no dialog"),
            std::string::npos)
      << err_.str();
  const auto events = EventLines();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), R"({"t":0,"event":"command","line":".pdc ","handled":false})");
}

}  // namespace
}  // namespace kestrava::sim
