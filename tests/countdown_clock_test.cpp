// The countdown clock on the recording backend: its parts, colours and screen objects, the
// remaining time, clicks and drags.
#include "screen/countdown_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

using EuroScopePlugIn::BUTTON_LEFT;
using EuroScopePlugIn::BUTTON_MIDDLE;
using EuroScopePlugIn::BUTTON_RIGHT;

constexpr double kIdleRed = 0x0000B4;
constexpr double kRunningGreen = 0x3CB400;
constexpr double kEndingYellow = 0x00F0F0;

struct Registered {
  int type;
  int left, top, right, bottom;
  bool movable;
  bool operator==(const Registered&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Registered& r) {
  return out << "type " << r.type << " (" << r.left << ", " << r.top << ", " << r.right << ", "
             << r.bottom << ")" << (r.movable ? " movable" : "");
}

class CountdownClock : public ScreenFixture {
 protected:
  void SetUp() override {
    Open();
    Redraw();
  }

  std::vector<Registered> Objects() {
    std::vector<Registered> out;
    for (const standin::ScreenObject& o : Display().objects()) {
      EXPECT_EQ(o.id, "");
      EXPECT_EQ(o.message, "");
      out.push_back({o.type, o.area.left, o.area.top, o.area.right, o.area.bottom, o.movable});
    }
    return out;
  }

  // The time text of the latest drawing and the colour it was written in.
  std::pair<std::string, double> Time() {
    double colour = -1;
    std::string text;
    for (const DrawingCall& call : env.drawing.calls) {
      if (call.name == "SetTextColor") colour = call.args[0];
      if (call.name == "TextOutA" && call.text.find(':') != std::string::npos) {
        text = call.text;
        return {text, colour};
      }
    }
    return {text, colour};
  }

  std::pair<std::string, double> TimeAfter(std::int64_t seconds) {
    env.AdvanceSeconds(seconds);
    Redraw();
    return Time();
  }
};

TEST_F(CountdownClock, FiveScreenObjectsRegisteredOnEveryDrawingInOrder) {
  const std::vector<Registered> expected = {
      {1, 101, 101, 135, 117, true},  {5, 137, 101, 153, 117, false},
      {2, 101, 119, 117, 135, false}, {3, 119, 119, 135, 135, false},
      {4, 137, 119, 153, 135, false},
  };
  EXPECT_EQ(Objects(), expected);
  Redraw();
  EXPECT_EQ(Objects(), expected);  // anew, not added to the last drawing's
}

TEST_F(CountdownClock, FramesFillsLabelsAndTheCross) {
  const auto args = [&](const char* name) {
    std::vector<std::vector<double>> out;
    for (const DrawingCall& c : env.drawing.Named(name)) out.push_back(c.args);
    return out;
  };
  const double face_light = 0x949A7D, face_dark = 0x283008;
  const double button_light = 0x969696, button_dark = 0x5A5A5A;
  EXPECT_EQ(args("Draw3dRect"), (std::vector<std::vector<double>>{
                                    {100, 100, 36, 18, face_light, face_dark},
                                    {136, 100, 18, 18, face_light, face_dark},
                                    {100, 118, 18, 18, button_light, button_dark},
                                    {118, 118, 18, 18, button_light, button_dark},
                                    {136, 118, 18, 18, button_light, button_dark},
                                }));

  const auto brushes = env.drawing.Named("CreateSolidBrush");
  ASSERT_EQ(brushes.size(), 2u);
  EXPECT_EQ(brushes[0].args[0], 0x787878);  // buttons
  EXPECT_EQ(brushes[1].args[0], 0x36400B);  // face and close box
  const double button_brush = brushes[0].args[1];
  const double face_brush = brushes[1].args[1];
  EXPECT_EQ(args("FillRect"), (std::vector<std::vector<double>>{
                                  {101, 101, 135, 117, face_brush},
                                  {137, 101, 153, 117, face_brush},
                                  {101, 119, 117, 135, button_brush},
                                  {119, 119, 135, 135, button_brush},
                                  {137, 119, 153, 135, button_brush},
                              }));

  std::vector<std::pair<std::string, std::vector<double>>> texts;
  for (const DrawingCall& c : env.drawing.Named("TextOutA")) texts.emplace_back(c.text, c.args);
  EXPECT_EQ(texts,
            (std::vector<std::pair<std::string, std::vector<double>>>{
                {"1", {105, 121}}, {"2", {123, 121}}, {"3", {141, 121}}, {"0:00", {104, 103}}}));

  const auto fonts = env.drawing.Named("CreatePointFont");
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].args[0], 93);
  EXPECT_EQ(fonts[0].text, "EuroScope");
  const auto pens = env.drawing.Named("CreatePen");
  ASSERT_EQ(pens.size(), 1u);
  EXPECT_EQ(std::vector<double>(pens[0].args.begin(), pens[0].args.begin() + 3),
            (std::vector<double>{0, 2, 0xE6E6E6}));  // solid, 2 pixels

  std::vector<std::string> cross;
  for (const DrawingCall& c : env.drawing.calls) {
    if (c.name == "MoveTo" || c.name == "LineTo") {
      cross.push_back(c.name + " " + std::to_string(static_cast<int>(c.args[0])) + "," +
                      std::to_string(static_cast<int>(c.args[1])));
    }
  }
  EXPECT_EQ(cross, (std::vector<std::string>{"MoveTo 141,113", "LineTo 149,105", "MoveTo 141,105",
                                             "LineTo 149,113"}));
}

TEST_F(CountdownClock, LabelsInBlueAndTheDeviceContextLeftAsItWas) {
  const auto colours = env.drawing.Named("SetTextColor");
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_EQ(colours[0].args[0], 0x640000);  // the button labels, before anything is written
  // The pen and font were selected back, the wrapper detached, and every object deleted.
  const auto selections = env.drawing.Named("SelectObject");
  ASSERT_EQ(selections.size(), 4u);
  EXPECT_EQ(selections[2].args[0], RecordingDrawing::kStockPen);
  EXPECT_EQ(selections[3].args[0], RecordingDrawing::kStockFont);
  EXPECT_EQ(env.drawing.Names().back(), "DeleteObject");
  EXPECT_EQ(env.drawing.Named("DeleteObject").size(), 4u);
  EXPECT_EQ(env.drawing.Named("Detach").size(), 1u);
  EXPECT_EQ(env.drawing.LiveObjects(), 1);  // the display's GDI+ start-up only
}

TEST_F(CountdownClock, ColoursByRemainingTime) {
  EXPECT_EQ(Time(), std::make_pair(std::string("0:00"), kIdleRed));
  ASSERT_TRUE(world.displays().Click(kMain, kTwoMinuteButton, BUTTON_LEFT));
  const struct {
    std::int64_t advance;
    const char* text;
    double colour;
    bool running;
  } steps[] = {
      {0, "2:00", kRunningGreen, true},  {55, "1:05", kRunningGreen, true},
      {54, "0:11", kRunningGreen, true}, {1, "0:10", kEndingYellow, true},
      {9, "0:01", kEndingYellow, true},  {1, "0:00", kIdleRed, true},
      {1, "0:00", kIdleRed, false},      {100, "0:00", kIdleRed, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.text);
    EXPECT_EQ(TimeAfter(step.advance), std::make_pair(std::string(step.text), step.colour));
    EXPECT_EQ(Screen().m_CountdownRunning, step.running);
  }
}

TEST_F(CountdownClock, ACountdownMoreThanThreeMinutesAwayStops) {
  QEXScreen& screen = Screen();
  screen.m_CountdownRunning = true;
  screen.m_CountdownEnd = env.NowUnixSeconds() + 180;
  Redraw();
  EXPECT_EQ(Time(), std::make_pair(std::string("3:00"), kRunningGreen));
  EXPECT_TRUE(screen.m_CountdownRunning);
  // The clock was set back by a second.
  screen.m_CountdownEnd = env.NowUnixSeconds() + 181;
  Redraw();
  EXPECT_EQ(Time(), std::make_pair(std::string("0:00"), kIdleRed));
  EXPECT_FALSE(screen.m_CountdownRunning);
}

TEST_F(CountdownClock, ClicksByTypeAndButton) {
  const struct {
    int type;
    int button;
    const char* time;  // at the next drawing, after a one-minute countdown was running
    bool shown;
  } cases[] = {
      {kClockFace, BUTTON_LEFT, "0:00", true},
      {kOneMinuteButton, BUTTON_LEFT, "1:00", true},
      {kTwoMinuteButton, BUTTON_LEFT, "2:00", true},
      {kThreeMinuteButton, BUTTON_LEFT, "3:00", true},
      {kClockCloseBox, BUTTON_LEFT, "", false},
      {kClockFace, BUTTON_RIGHT, "0:40", true},
      {kThreeMinuteButton, BUTTON_RIGHT, "0:40", true},
      {kThreeMinuteButton, BUTTON_MIDDLE, "0:40", true},
      {kClockCloseBox, BUTTON_RIGHT, "0:40", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " button " << c.button);
    QEXScreen& screen = Screen();
    screen.m_CountdownShow = true;
    StartCountdown(screen, 60);
    env.AdvanceSeconds(20);
    Redraw();
    EXPECT_FALSE(Display().refresh_requested());
    ASSERT_TRUE(world.displays().Click(kMain, c.type, c.button));
    // Every click asks for a redraw, whatever it did.
    EXPECT_TRUE(Display().refresh_requested());
    EXPECT_EQ(screen.m_CountdownShow, c.shown);
    Redraw();
    EXPECT_EQ(Time().first, c.time);
    EXPECT_EQ(Display().objects().empty(), !c.shown);
  }
}

TEST_F(CountdownClock, AClickOnAnUnknownObjectOnlyAsksForARedraw) {
  Redraw();
  Screen().OnClickScreenObject(6, "", {}, {}, BUTTON_LEFT);
  EXPECT_TRUE(Display().refresh_requested());
  EXPECT_TRUE(Screen().m_CountdownShow);
  EXPECT_FALSE(Screen().m_CountdownRunning);
  EXPECT_FALSE(world.displays().Click(kMain, 6, BUTTON_LEFT));  // nothing of that type drawn
}

TEST_F(CountdownClock, DraggingTheFaceMovesTheCornerToThePointer) {
  ASSERT_TRUE(world.displays().Drag(kMain, kClockFace, 250, 40, false));
  EXPECT_EQ(Screen().m_CountdownX, 250);
  EXPECT_EQ(Screen().m_CountdownY, 40);
  EXPECT_TRUE(Display().refresh_requested());
  ASSERT_TRUE(world.displays().Drag(kMain, kClockFace, -5, 12, true));
  Redraw();
  EXPECT_EQ(Objects().front(), (Registered{1, -4, 13, 30, 29, true}));

  // The other parts are not movable: the host reports no drag of them, and a report of one
  // would change nothing.
  EXPECT_FALSE(world.displays().Drag(kMain, kOneMinuteButton, 10, 10, true));
  Screen().OnMoveScreenObject(kOneMinuteButton, "", {10, 10}, {}, true);
  EXPECT_EQ(Screen().m_CountdownX, -5);
  EXPECT_TRUE(Display().refresh_requested());
}

TEST_F(CountdownClock, AClockReachingPastTheCoordinateRangeIsNotDrawn) {
  constexpr int kMax = 2147483647;
  constexpr int kMin = -kMax - 1;
  const struct {
    int x, y;
    bool drawn;
  } cases[] = {
      {kMax - 54, kMin, true}, {kMin, kMax - 36, true}, {kMax - 53, 0, false},
      {0, kMax - 35, false},   {kMax, kMax, false},     {kMax - 10, kMin, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
    Screen().m_CountdownX = c.x;
    Screen().m_CountdownY = c.y;
    Redraw();
    EXPECT_EQ(Objects().size(), c.drawn ? 5u : 0u);
    EXPECT_EQ(env.drawing.Named("Draw3dRect").size(), c.drawn ? 5u : 0u);
  }
  // The corner of the last object drawn is the last pixel of the range.
  Screen().m_CountdownX = kMax - 54;
  Screen().m_CountdownY = kMax - 36;
  Redraw();
  EXPECT_EQ(Objects().back(), (Registered{4, kMax - 17, kMax - 17, kMax - 1, kMax - 1, false}));
}

TEST_F(CountdownClock, AHiddenClockIsNotDrawnAndShowsIdleWhenShownAgain) {
  ASSERT_TRUE(world.displays().Click(kMain, kOneMinuteButton, BUTTON_LEFT));
  ASSERT_TRUE(world.CompileCommand(".cd"));
  Redraw();
  EXPECT_TRUE(env.drawing.Named("TextOutA").empty());
  EXPECT_TRUE(Display().objects().empty());
  env.AdvanceSeconds(61);
  ASSERT_TRUE(world.CompileCommand(".cd"));
  Redraw();
  EXPECT_EQ(Time(), std::make_pair(std::string("0:00"), kIdleRed));
  EXPECT_FALSE(Screen().m_CountdownRunning);
}

}  // namespace
}  // namespace kestrava::testing
