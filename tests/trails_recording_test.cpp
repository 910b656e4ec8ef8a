// History trails on the recording backend: which marks a pass draws, in which order, with which
// pens, sizes and point lists.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "screen/history_trails.h"
#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

const EuroScopePlugIn::DeviceContext kDc = reinterpret_cast<EuroScopePlugIn::DeviceContext>(0x1000);

constexpr double kOpaqueOrange = 0xFFFF8214;  // alpha 255 and the default colour

class TrailsRecording : public ScreenFixture {
 protected:
  void SetUp() override { Open(); }

  // A tracked aircraft with `count` positions 0.01 degrees apart going north, reporting `knots`.
  void AddTrack(const std::string& callsign, int count, int knots, double longitude = -0.46) {
    CAircraftData record(callsign);
    for (int i = 0; i < count; ++i) record.m_Positions.push_back(PositionAt(i, longitude));
    registry.AddAircraft(std::move(record));
    world.AddOrGetAircraft(callsign).reported_gs = knots;
  }

  static EuroScopePlugIn::CPosition PositionAt(int i, double longitude = -0.46) {
    return EuroScopePlugIn::CPosition{51.40 + 0.01 * i, longitude};
  }

  EuroScopePlugIn::ScreenPoint PixelOf(EuroScopePlugIn::CPosition position) {
    return Display().ToPixel(position);
  }

  // One phase-1 pass, recorded afresh.
  std::vector<DrawingCall> Pass() {
    env.drawing.Clear();
    Screen().OnRefresh(kDc, EuroScopePlugIn::REFRESH_PHASE_BEFORE_TAGS);
    return env.drawing.calls;
  }

  int Marks() {
    Pass();
    return static_cast<int>(env.drawing.Named("GdipDrawLines").size() +
                            env.drawing.Named("GdipDrawArc").size());
  }

  // Alpha of each pen of the latest pass.
  std::vector<int> Alphas() {
    std::vector<int> alphas;
    for (const DrawingCall& pen : env.drawing.Named("GdipCreatePen1")) {
      alphas.push_back(static_cast<int>(static_cast<std::uint32_t>(pen.args[0]) >> 24));
    }
    return alphas;
  }

  // Sizes of the marks of the latest pass: circle diameters, diamond and square half widths.
  std::vector<double> Sizes() {
    std::vector<double> sizes;
    for (const DrawingCall& call : env.drawing.calls) {
      if (call.name == "GdipDrawArc") sizes.push_back(call.args[4]);
      // Second point minus first: (x + s, y) - (x, y - s) for a diamond, (x + s) - (x - s) for a
      // square.
      if (call.name == "GdipDrawLines") {
        const double dx = call.args[4] - call.args[2];
        sizes.push_back(Screen().m_TrailType == 3 ? dx / 2 : dx);
      }
    }
    return sizes;
  }
};

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 5e-4) << "mark " << i;
  }
}

TEST_F(TrailsRecording, MarksAreTheLatestPositionsBeforeThePresentUpToTheMaximum) {
  const struct {
    int positions;
    int max_trail;
    int marks;
  } cases[] = {{0, 6, 0},  {1, 6, 0},    {2, 6, 1},    {4, 6, 3},  {7, 6, 6},  {12, 6, 6},
               {12, 1, 1}, {12, 11, 11}, {12, 99, 11}, {12, 0, 0}, {12, -4, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.positions << " positions, max " << c.max_trail);
    registry.Clear();
    AddTrack("BAW1", c.positions, 140);
    Screen().m_MaxTrail = c.max_trail;
    EXPECT_EQ(Marks(), c.marks);
    // Every pen made was deleted, and so was the graphics object.
    EXPECT_EQ(env.drawing.Named("GdipDeletePen").size(), static_cast<std::size_t>(c.marks));
    EXPECT_EQ(env.drawing.Named("GdipCreateFromHDC").size(), 1u);
    EXPECT_EQ(env.drawing.Named("GdipDeleteGraphics").size(), 1u);
  }
  EXPECT_EQ(env.drawing.LiveObjects(), 1);  // the display's GDI+ start-up only
}

TEST_F(TrailsRecording, FromTheNewestMarkedPositionToTheOldest) {
  AddTrack("BAW1", 9, 140);
  Pass();
  const auto lines = env.drawing.Named("GdipDrawLines");
  ASSERT_EQ(lines.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    const EuroScopePlugIn::ScreenPoint p = PixelOf(PositionAt(7 - i));
    // The first point of a diamond is its top corner: (x, y - 2).
    EXPECT_EQ(lines[static_cast<std::size_t>(i)].args[2], p.x);
    EXPECT_EQ(lines[static_cast<std::size_t>(i)].args[3], p.y - 2);
  }
}

TEST_F(TrailsRecording, ThePassMakesOneGraphicsObjectAndEachMarkItsOwnPen) {
  AddTrack("BAW1", 3, 140);
  const std::vector<DrawingCall> calls = Pass();
  std::vector<std::string> names;
  for (const DrawingCall& call : calls) names.push_back(call.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"GdipCreateFromHDC", "GdipSetSmoothingMode", "GdipCreatePen1",
                                      "GdipDrawLines", "GdipDeletePen", "GdipCreatePen1",
                                      "GdipDrawLines", "GdipDeletePen", "GdipDeleteGraphics"}));
  EXPECT_EQ(calls[0].args, std::vector<double>{static_cast<double>(0x1000)});
  // Anti-aliasing: smoothing mode 4 on the pass's graphics object.
  EXPECT_EQ(calls[1].args[1], 4);
  // Colour, width 1, world units.
  EXPECT_EQ(calls[2].args[0], kOpaqueOrange);
  EXPECT_EQ(calls[2].args[1], 1.0);
  EXPECT_EQ(calls[2].args[2], 0);
}

TEST_F(TrailsRecording, WithoutAntiAliasingTheSmoothingModeIsLeftAlone) {
  AddTrack("BAW1", 3, 140);
  Screen().m_AntiAlias = 0;
  Pass();
  EXPECT_TRUE(env.drawing.Named("GdipSetSmoothingMode").empty());
  EXPECT_EQ(env.drawing.Named("GdipDrawLines").size(), 2u);
}

TEST_F(TrailsRecording, AnAircraftBelowSixtyKnotsHasNoTrail) {
  const struct {
    int knots;
    int marks;
  } cases[] = {{0, 0}, {59, 0}, {60, 6}, {61, 6}, {450, 6}, {-5, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.knots);
    registry.Clear();
    AddTrack("BAW1", 10, c.knots);
    EXPECT_EQ(Marks(), c.marks);
  }
}

TEST_F(TrailsRecording, AnAircraftTheHostDoesNotKnowCountsAsStopped) {
  CAircraftData record("GHOST");
  record.m_Positions = {PositionAt(0), PositionAt(1), PositionAt(2)};
  registry.AddAircraft(record);
  EXPECT_EQ(Marks(), 0);
}

TEST_F(TrailsRecording, AircraftAreDrawnInRegistryOrder) {
  AddTrack("SLOW", 4, 20, -0.40);
  AddTrack("EAST", 3, 200, -0.30);
  AddTrack("WEST", 3, 200, -0.60);
  Pass();
  const auto lines = env.drawing.Named("GdipDrawLines");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].args[2], PixelOf(PositionAt(1, -0.30)).x);
  EXPECT_EQ(lines[1].args[2], PixelOf(PositionAt(0, -0.30)).x);
  EXPECT_EQ(lines[2].args[2], PixelOf(PositionAt(1, -0.60)).x);
  EXPECT_EQ(lines[3].args[2], PixelOf(PositionAt(0, -0.60)).x);
}

TEST_F(TrailsRecording, FadingAlphas) {
  const struct {
    int max_trail;
    bool fade;
    std::vector<int> alphas;
  } cases[] = {
      {6, true, {255, 212, 169, 127, 84, 42}},
      {3, true, {255, 169, 84}},
      {1, true, {255}},
      {4, true, {255, 191, 127, 63}},
      {6, false, {255, 255, 255, 255, 255, 255}},
  };
  AddTrack("BAW1", 20, 140);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "max " << c.max_trail << " fade " << c.fade);
    Screen().m_MaxTrail = c.max_trail;
    Screen().m_FadeTrail = c.fade ? 1 : 0;
    Pass();
    EXPECT_EQ(Alphas(), c.alphas);
  }
}

TEST_F(TrailsRecording, DegradingSizes) {
  const struct {
    int type;
    bool degrading;
    std::vector<double> sizes;
  } cases[] = {
      {1, true, {3.0, 2.5, 2.0, 1.5, 1.0, 0.5}},  {2, true, {2.0, 1.667, 1.333, 1.0, 0.667, 0.333}},
      {3, true, {1.8, 1.5, 1.2, 0.9, 0.6, 0.3}},  {1, false, {3.0, 3.0, 3.0, 3.0, 3.0, 3.0}},
      {2, false, {2.0, 2.0, 2.0, 2.0, 2.0, 2.0}}, {3, false, {1.8, 1.8, 1.8, 1.8, 1.8, 1.8}},
  };
  AddTrack("BAW1", 10, 140);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " degrading " << c.degrading);
    Screen().m_TrailType = c.type;
    Screen().m_DegradingTrail = c.degrading ? 1 : 0;
    Pass();
    ExpectNear(Sizes(), c.sizes);
  }
}

TEST_F(TrailsRecording, ThreeShapesAndTheirPointLists) {
  AddTrack("BAW1", 2, 140);
  const EuroScopePlugIn::ScreenPoint p = PixelOf(PositionAt(0));
  const double x = p.x;
  const double y = p.y;

  Screen().m_TrailType = 1;
  Pass();
  ASSERT_EQ(env.drawing.Named("GdipDrawArc").size(), 1u);
  const std::vector<double> arc = env.drawing.Named("GdipDrawArc")[0].args;
  EXPECT_EQ(std::vector<double>(arc.begin() + 2, arc.end()),
            (std::vector<double>{x - 1.5, y - 1.5, 3, 3, 0, 360}));

  Screen().m_TrailType = 2;
  Pass();
  const std::vector<double> diamond = env.drawing.Named("GdipDrawLines").at(0).args;
  EXPECT_EQ(std::vector<double>(diamond.begin() + 2, diamond.end()),
            (std::vector<double>{x, y - 2, x + 2, y, x, y + 2, x - 2, y, x, y - 2}));

  Screen().m_TrailType = 3;
  Pass();
  const std::vector<double> square = env.drawing.Named("GdipDrawLines").at(0).args;
  // 1.8 has no exact binary form: the corners are compared within single precision, whose last
  // bits depend on how the optimiser orders the arithmetic.
  const double s = 1.8;
  const std::vector<double> corners = {x - s, y - s, x + s, y - s, x + s,
                                       y + s, x - s, y + s, x - s, y - s};
  ASSERT_EQ(square.size(), corners.size() + 2);
  for (std::size_t i = 0; i < corners.size(); ++i) {
    EXPECT_NEAR(square[i + 2], corners[i], 1e-3) << "value " << i;
  }
}

TEST_F(TrailsRecording, ATypeWithoutAShapeDrawsNoMarks) {
  AddTrack("BAW1", 10, 140);
  for (const int type : {0, 4, -1, 99}) {
    SCOPED_TRACE(type);
    Screen().m_TrailType = type;
    EXPECT_EQ(Marks(), 0);
  }
  Screen().m_TrailType = 1;
  EXPECT_EQ(Marks(), 6);
}

TEST_F(TrailsRecording, TheTopByteOfTheColourIsNotUsed) {
  AddTrack("BAW1", 3, 140);
  Screen().m_TrailColour = 0xAB1482FF;
  Pass();
  for (const DrawingCall& pen : env.drawing.Named("GdipCreatePen1")) {
    EXPECT_EQ(pen.args[0], kOpaqueOrange);
  }
  Screen().m_TrailColour = 0x00563412;  // red 0x12, green 0x34, blue 0x56
  Screen().m_FadeTrail = 1;
  Screen().m_MaxTrail = 2;  // the second mark at alpha 127
  Pass();
  EXPECT_EQ(env.drawing.Named("GdipCreatePen1").at(1).args[0], static_cast<double>(0x7F123456));
}

TEST_F(TrailsRecording, TrailsAreDrawnOnlyInPhaseOneAndOnlyWhenShown) {
  AddTrack("BAW1", 3, 140);
  for (const int phase : {0, 2, 3}) {
    env.drawing.Clear();
    Screen().m_CountdownShow = false;
    Screen().OnRefresh(kDc, phase);
    EXPECT_TRUE(env.drawing.calls.empty()) << phase;
  }
  Screen().m_TrailShow = 0;
  EXPECT_TRUE(Pass().empty());
}

TEST_F(TrailsRecording, AFailedGraphicsObjectLeavesThePassUndrawn) {
  AddTrack("BAW1", 5, 140);
  env.drawing.fail_graphics = true;
  EXPECT_EQ(Pass().size(), 1u);  // only the failed GdipCreateFromHDC
  env.drawing.fail_graphics = false;
  EXPECT_EQ(Marks(), 4);
}

}  // namespace
}  // namespace kestrava::testing
