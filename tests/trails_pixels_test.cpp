// History trails drawn by the build's own drawing backend (cairo on Linux, GDI+ on Windows) into
// a stand-in display's bitmap: the mark's colour and place, anti-aliasing on and off, alpha.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "host/display_canvas.h"
#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

// The FakeEnv with the platform's real drawing.
class PlatformDrawingEnv : public FakeEnv {
 public:
  Drawing& DrawingService() override { return Env::Default().DrawingService(); }
};

constexpr standin::Pixel kBackground{24, 32, 40};
constexpr standin::Pixel kRed{255, 0, 0};

// Whether this program runs under Wine, however it was started: Wine's ntdll has an export of
// its own.
bool UnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// Whether the platform's drawing smooths a line drawn on a device context at all. Wine's GDI+
// does not (it strokes through GDI); Windows' and cairo's do.
bool PlatformSmoothsLines() {
  standin::DisplayCanvas canvas(16, 16);
  Drawing& drawing = Env::Default().DrawingService();
  GpGraphics* graphics = nullptr;
  GpPen* pen = nullptr;
  if (drawing.GdipCreateFromHDC(canvas.dc(), &graphics) != GpStatus::Ok) return false;
  drawing.GdipSetSmoothingMode(graphics, SmoothingMode::AntiAlias);
  drawing.GdipCreatePen1(0xFFFF0000, 1.0f, GpUnit::World, &pen);
  const PointF line[] = {{2, 3}, {13, 8}};
  drawing.GdipDrawLines(graphics, pen, line, 2);
  drawing.GdipDeletePen(pen);
  drawing.GdipDeleteGraphics(graphics);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const standin::Pixel p = canvas.PixelAt(x, y);
      if (!(p == standin::Pixel{}) && !(p == kRed)) return true;
    }
  }
  return false;
}

class TrailsPixels : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    standin::DisplayOptions options;
    options.name = "Pixels";
    options.width = 200;
    options.height = 200;
    options.centre = EuroScopePlugIn::CPosition{51.0, 0.0};
    options.scale_nm = 20.0;
    // Red diamonds, no degrading, the clock out of the way.
    options.settings = {{"TRAILCOLOUR", "255"}, {"CDSHOW", "0"}, {"TRAILTYPE", "2"}};
    std::string error;
    display = world.displays().Open(options, error);
    ASSERT_NE(display, nullptr) << error;
    screen = static_cast<QEXScreen*>(display->screen());

    // Two marked positions west of the present one, which is far to the east.
    CAircraftData record("BAW1");
    record.m_Positions = {{51.0, -0.05}, {51.0, 0.0}, {51.0, 0.2}};
    registry.AddAircraft(record);
    standin::Aircraft& aircraft = world.AddOrGetAircraft("BAW1");
    aircraft.position = record.m_Positions.back();
    aircraft.reported_gs = 180;
  }

  void TearDown() override { plugin.reset(); }

  standin::Pixel At(EuroScopePlugIn::ScreenPoint centre, int dx, int dy) {
    return display->canvas().PixelAt(centre.x + dx, centre.y + dy);
  }

  // Pixels around the mark that are neither background nor the full trail colour.
  int Blended(EuroScopePlugIn::ScreenPoint centre) {
    int blended = 0;
    for (int dy = -3; dy <= 3; ++dy) {
      for (int dx = -3; dx <= 3; ++dx) {
        const standin::Pixel p = At(centre, dx, dy);
        if (!(p == kBackground) && !(p == kRed)) ++blended;
      }
    }
    return blended;
  }

  PlatformDrawingEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
  standin::Display* display = nullptr;
  QEXScreen* screen = nullptr;
};

TEST_F(TrailsPixels, ADiamondInTheTrailColourAtThePositionsPixel) {
  screen->m_AntiAlias = 0;
  world.displays().Redraw(*display);
  const EuroScopePlugIn::ScreenPoint centre = display->ToPixel({51.0, 0.0});
  // The corners, 2 pixels from the centre.
  EXPECT_EQ(At(centre, 0, -2), kRed);
  EXPECT_EQ(At(centre, 2, 0), kRed);
  EXPECT_EQ(At(centre, 0, 2), kRed);
  EXPECT_EQ(At(centre, -2, 0), kRed);
  // The diamond is hollow and nothing is drawn around it.
  EXPECT_EQ(At(centre, 0, 0), kBackground);
  EXPECT_EQ(At(centre, 3, 0), kBackground);
  EXPECT_EQ(At(centre, 0, -4), kBackground);
  EXPECT_EQ(Blended(centre), 0);
}

TEST_F(TrailsPixels, AntiAliasingBlendsTheEdges) {
  const EuroScopePlugIn::ScreenPoint centre = display->ToPixel({51.0, 0.0});
  screen->m_AntiAlias = 0;
  world.displays().Redraw(*display);
  EXPECT_EQ(Blended(centre), 0);
  screen->m_AntiAlias = 1;
  world.displays().Redraw(*display);
  if (UnderWine() && !PlatformSmoothsLines()) {
    GTEST_SKIP() << "this GDI+ (Wine's) draws lines on a device context without smoothing";
  }
  EXPECT_GT(Blended(centre), 4);
  // Still red where the lines run.
  const standin::Pixel corner = At(centre, 2, 0);
  EXPECT_GT(corner.red, 120);
  EXPECT_LT(corner.green, 60);
}

TEST_F(TrailsPixels, AFadedMarkIsBlendedWithTheBackground) {
  screen->m_AntiAlias = 0;
  screen->m_FadeTrail = 1;
  screen->m_MaxTrail = 2;  // the older mark at alpha 127
  world.displays().Redraw(*display);
  EXPECT_EQ(At(display->ToPixel({51.0, 0.0}), 2, 0), kRed);
  const standin::Pixel faded = At(display->ToPixel({51.0, -0.05}), 2, 0);
  // Half of red over the background: about (139, 16, 20).
  EXPECT_NEAR(faded.red, 139, 8);
  EXPECT_NEAR(faded.green, 16, 8);
  EXPECT_NEAR(faded.blue, 20, 8);
}

}  // namespace
}  // namespace kestrava::testing
