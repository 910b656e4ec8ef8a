// The History Trails dialog through the display's ".qex h" command, on the headless backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_ids.h"
#include "tests/support/dialog_state.h"
#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

class TrailsDialog : public ScreenFixture {
 protected:
  void SetUp() override { Open(); }

  // Runs ".qex h" with `script` acting at the open dialog.
  bool Run(std::function<void(DialogUser&)> script, const std::string& line = ".qex h") {
    env.dialog_script = std::move(script);
    return world.CompileCommand(line);
  }
};

TEST_F(TrailsDialog, ShapeIsPreselectedByTypeAndOkTakesIndexPlusOne) {
  const struct {
    std::int32_t type;
    int shown;
    std::int32_t after;
  } cases[] = {{1, 0, 1}, {2, 1, 2}, {3, 2, 3}, {0, -1, 0}, {4, -1, 0}};
  for (const auto& c : cases) {
    Screen().m_TrailType = c.type;
    EXPECT_TRUE(Run([&](DialogUser& user) {
      const ControlState shapes = StateOf(user, IDC_TRAILS_TYPE);
      EXPECT_EQ(shapes.items, (std::vector<std::string>{"Circle", "Diamond", "Square"}));
      EXPECT_EQ(shapes.selected, c.shown) << c.type;
      user.Click(kIdOk);
    }));
    EXPECT_EQ(Screen().m_TrailType, c.after) << c.type;
  }
}

TEST_F(TrailsDialog, OkCopiesEveryValueBackWithoutSavingOrRedrawing) {
  Redraw();
  env.colour_answers = {0x00AA00};
  EXPECT_TRUE(Run(
      [](DialogUser& user) {
        EXPECT_EQ(StateOf(user, IDC_TRAILS_COUNT).text, "6");
        EXPECT_EQ(StateOf(user, IDC_TRAILS_COLOUR).colour, 0x001482FFu);
        user.Check(IDC_TRAILS_SHOW, false);
        user.Check(IDC_TRAILS_DEGRADING, true);
        user.Check(IDC_TRAILS_FADE, true);
        user.Check(IDC_TRAILS_ANTIALIAS, false);
        user.Select(IDC_TRAILS_TYPE, 2);
        user.Type(IDC_TRAILS_COUNT, "42");
        user.Click(IDC_TRAILS_COLOUR);
        // The colour choice reads and writes back every control: what was set stays.
        EXPECT_FALSE(StateOf(user, IDC_TRAILS_SHOW).checked);
        EXPECT_TRUE(StateOf(user, IDC_TRAILS_FADE).checked);
        EXPECT_EQ(StateOf(user, IDC_TRAILS_TYPE).selected, 2);
        EXPECT_EQ(StateOf(user, IDC_TRAILS_COUNT).text, "42");
        EXPECT_EQ(StateOf(user, IDC_TRAILS_COLOUR).colour, 0x00AA00u);
        user.Click(kIdOk);
      },
      ".zyt h"));
  const QEXScreen& s = Screen();
  EXPECT_EQ(s.m_TrailShow, 0);
  EXPECT_EQ(s.m_MaxTrail, 42);
  EXPECT_EQ(s.m_TrailColour, 0x00AA00u);
  EXPECT_EQ(s.m_TrailType, 3);
  EXPECT_EQ(s.m_DegradingTrail, 1);
  EXPECT_EQ(s.m_AntiAlias, 0);
  EXPECT_EQ(s.m_FadeTrail, 1);
  EXPECT_FALSE(Display().refresh_requested());
  EXPECT_TRUE(env.validation_messages.empty());
}

TEST_F(TrailsDialog, CountOutsideOneToNinetyNineIsRefusedUntilMended) {
  const struct {
    const char* text;
    bool pasted;
    const char* message;
  } cases[] = {
      {"0", false, "Please enter an integer between 1 and 99."},
      {"100", false, "Please enter an integer between 1 and 99."},
      {"-3", true, "Please enter an integer between 1 and 99."},
      {"abc", true, "Please enter an integer."},
      {"", true, "Please enter an integer."},
      {"4 2", true, "Please enter an integer."},
      {"99999999999", true, "Please enter an integer."},
  };
  for (const auto& c : cases) {
    env.validation_messages.clear();
    EXPECT_TRUE(Run([&](DialogUser& user) {
      c.pasted ? user.Paste(IDC_TRAILS_COUNT, c.text) : user.Type(IDC_TRAILS_COUNT, c.text);
      user.Click(kIdOk);
      EXPECT_TRUE(user.IsOpen()) << c.text;
      // The count has the focus with its text selected: typing replaces it.
      user.Keys("12");
      user.Click(kIdOk);
      EXPECT_FALSE(user.IsOpen()) << c.text;
    }));
    EXPECT_EQ(env.validation_messages, std::vector<std::string>{c.message}) << c.text;
    EXPECT_EQ(Screen().m_MaxTrail, 12) << c.text;
  }
  // Blanks around a number are no fault.
  EXPECT_TRUE(Run([](DialogUser& user) {
    user.Paste(IDC_TRAILS_COUNT, " 7 ");
    user.Click(kIdOk);
  }));
  EXPECT_EQ(Screen().m_MaxTrail, 7);
}

TEST_F(TrailsDialog, ArrowsStepTheCountFromZeroToNinetyNine) {
  EXPECT_TRUE(Run([](DialogUser& user) {
    user.Spin(IDC_TRAILS_COUNT_SPIN, -10);
    EXPECT_EQ(StateOf(user, IDC_TRAILS_COUNT).text, "0");
    user.Spin(IDC_TRAILS_COUNT_SPIN, 150);
    EXPECT_EQ(StateOf(user, IDC_TRAILS_COUNT).text, "99");
    user.Click(kIdOk);
  }));
  EXPECT_EQ(Screen().m_MaxTrail, 99);
}

TEST_F(TrailsDialog, InvalidCountBeforeAColourChoiceIsReportedAndStopsTheRead) {
  env.colour_answers = {0x0000FF};
  EXPECT_TRUE(Run([](DialogUser& user) {
    user.Type(IDC_TRAILS_COUNT, "0");
    user.Check(IDC_TRAILS_SHOW, false);  // exchanged after the count: not read
    user.Click(IDC_TRAILS_COLOUR);
    // The members are written back: the count as read, the later fields as they were.
    EXPECT_EQ(StateOf(user, IDC_TRAILS_COUNT).text, "0");
    EXPECT_TRUE(StateOf(user, IDC_TRAILS_SHOW).checked);
    EXPECT_EQ(StateOf(user, IDC_TRAILS_COLOUR).colour, 0x0000FFu);
    user.Click(kIdCancel);
  }));
  EXPECT_EQ(env.shown_in_order, (std::vector<std::string>{
                                    "Please enter an integer between 1 and 99.", "colour dialog"}));
  // Cancel keeps the screen as it was, colour included.
  EXPECT_EQ(Screen().m_TrailColour, 0x001482FFu);
  EXPECT_EQ(Screen().m_MaxTrail, 6);
}

TEST_F(TrailsDialog, OnlyTheExactCommandOpensIt) {
  int opened = 0;
  for (const char* line : {".qex H", ".qex", ".qex ", ".qexh", ".qex hh", ".QEX h", ".zyt  h"}) {
    EXPECT_FALSE(Run([&](DialogUser&) { ++opened; }, line)) << line;
  }
  EXPECT_EQ(opened, 0);
}

}  // namespace
}  // namespace kestrava::testing
