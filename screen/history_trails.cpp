#include "screen/history_trails.h"

#include <cstdint>

#include "plugin/QEXPlugin.h"
#include "screen/QEXScreen.h"

namespace kestrava {
namespace {

enum TrailType : std::int32_t { kCircle = 1, kDiamond = 2, kSquare = 3 };

// Rounds to single precision. Some targets (32-bit x87) keep float arithmetic in a wider format;
// the marks' sizes and alphas are defined by single-precision steps, so every step goes through
// a stored float.
float Single(float value) {
  volatile float stored = value;
  return stored;
}

// Base size of a mark, or 0 for a type that draws nothing.
float BaseSize(std::int32_t type) {
  switch (type) {
    case kCircle: return 3.0f;
    case kDiamond: return 2.0f;
    case kSquare: return 1.8f;
    default: return 0.0f;
  }
}

// The pen colour: alpha on top of the trail colour's red, green and blue (its top byte unused).
Argb PenColour(int alpha, EuroScopePlugIn::ColorRef colour) {
  const std::uint32_t red = colour & 0xFFu;
  const std::uint32_t green = (colour >> 8) & 0xFFu;
  const std::uint32_t blue = (colour >> 16) & 0xFFu;
  return (static_cast<std::uint32_t>(alpha) << 24) | (red << 16) | (green << 8) | blue;
}

// Deletes a GDI+ object when the scope ends.
template <class Handle, GpStatus (Drawing::*Delete)(Handle*)>
class Owned {
 public:
  Owned(Drawing& drawing, Handle* handle) : drawing_(drawing), handle_(handle) {}
  ~Owned() {
    if (handle_ != nullptr) (drawing_.*Delete)(handle_);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

 private:
  Drawing& drawing_;
  Handle* handle_;
};
using OwnedGraphics = Owned<GpGraphics, &Drawing::GdipDeleteGraphics>;
using OwnedPen = Owned<GpPen, &Drawing::GdipDeletePen>;

}  // namespace

void DrawHistoryTrails(QEXScreen& screen, EuroScopePlugIn::DeviceContext dc) {
  Drawing& drawing = screen.drawing();
  GpGraphics* graphics = nullptr;
  if (drawing.GdipCreateFromHDC(dc, &graphics) != GpStatus::Ok || graphics == nullptr) return;
  const OwnedGraphics owned(drawing, graphics);
  if (screen.m_AntiAlias != 0) drawing.GdipSetSmoothingMode(graphics, SmoothingMode::AntiAlias);
  for (const CAircraftData& record : screen.Plugin().registry()) {
    DrawAircraftTrail(graphics, record, screen);
  }
}

void DrawAircraftTrail(GpGraphics* graphics, const CAircraftData& record, QEXScreen& screen) {
  const EuroScopePlugIn::CAircraft aircraft =
      screen.Plugin().AircraftSelect(record.m_Callsign.c_str());
  if (aircraft.GetPosition().GetReportedGS() < kGroundSpeedThresholdKnots) return;

  const auto& positions = record.m_Positions;
  const int max_trail = screen.m_MaxTrail;
  const float base = BaseSize(screen.m_TrailType);
  // One position is the present one and is never marked; a type without a shape draws nothing.
  if (positions.size() < 2 || max_trail <= 0 || base == 0.0f) return;

  Drawing& drawing = screen.drawing();
  const float step = Single(base / static_cast<float>(max_trail));
  float current = base;
  int mark = 0;
  for (auto k = static_cast<std::ptrdiff_t>(positions.size()) - 2; k >= 0 && mark < max_trail;
       --k, ++mark) {
    const float ratio = Single(static_cast<float>(mark) / static_cast<float>(max_trail));
    const int alpha =
        screen.m_FadeTrail != 0 ? static_cast<int>(Single(Single(1.0f - ratio) * 255.0f)) : 255;
    const float size = screen.m_DegradingTrail != 0 ? current : base;
    current = Single(current - step);

    GpPen* pen = nullptr;
    if (drawing.GdipCreatePen1(PenColour(alpha, screen.m_TrailColour), 1.0f, GpUnit::World, &pen) !=
            GpStatus::Ok ||
        pen == nullptr) {
      continue;
    }
    const OwnedPen owned(drawing, pen);
    const EuroScopePlugIn::ScreenPoint centre =
        screen.ConvertCoordFromPositionToPixel(positions[static_cast<std::size_t>(k)]);
    switch (screen.m_TrailType) {
      case kCircle: DrawTrailCircle(drawing, graphics, pen, centre, size); break;
      case kDiamond: DrawTrailDiamond(drawing, graphics, pen, centre, size); break;
      case kSquare: DrawTrailSquare(drawing, graphics, pen, centre, size); break;
      default: break;
    }
  }
}

void DrawTrailCircle(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                     EuroScopePlugIn::ScreenPoint centre, float size) {
  const float half = Single(size / 2.0f);
  drawing.GdipDrawArc(graphics, pen, Single(static_cast<float>(centre.x) - half),
                      Single(static_cast<float>(centre.y) - half), size, size, 0.0f, 360.0f);
}

void DrawTrailDiamond(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                      EuroScopePlugIn::ScreenPoint centre, float size) {
  const auto x = static_cast<float>(centre.x);
  const auto y = static_cast<float>(centre.y);
  const float left = Single(x - size);
  const float right = Single(x + size);
  const float top = Single(y - size);
  const float bottom = Single(y + size);
  const PointF points[] = {{x, top}, {right, y}, {x, bottom}, {left, y}, {x, top}};
  drawing.GdipDrawLines(graphics, pen, points, 5);
}

void DrawTrailSquare(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                     EuroScopePlugIn::ScreenPoint centre, float size) {
  const auto x = static_cast<float>(centre.x);
  const auto y = static_cast<float>(centre.y);
  const float left = Single(x - size);
  const float right = Single(x + size);
  const float top = Single(y - size);
  const float bottom = Single(y + size);
  const PointF points[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};
  drawing.GdipDrawLines(graphics, pen, points, 5);
}

}  // namespace kestrava
