#include "platform/win32/gdi_drawing.h"

#include <windows.h>
// windows.h first: the GDI+ headers build on it.
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "platform/drawable_area.h"

namespace kestrava {
namespace {

namespace flat = Gdiplus::DllExports;

GpStatus StatusOf(Gdiplus::GpStatus status) {
  switch (status) {
    case Gdiplus::Ok: return GpStatus::Ok;
    case Gdiplus::InvalidParameter: return GpStatus::InvalidParameter;
    case Gdiplus::OutOfMemory: return GpStatus::OutOfMemory;
    default: return GpStatus::GenericError;
  }
}

Gdiplus::GpGraphics* GraphicsOf(GpGraphics* handle) {
  return reinterpret_cast<Gdiplus::GpGraphics*>(handle);
}
Gdiplus::GpPen* PenOf(GpPen* handle) { return reinterpret_cast<Gdiplus::GpPen*>(handle); }
HGDIOBJ ObjectOf(GdiObject handle) { return reinterpret_cast<HGDIOBJ>(handle); }
GdiObject HandleOf(HGDIOBJ object) { return reinterpret_cast<GdiObject>(object); }

class GdiDeviceContext final : public DeviceContextWrapper {
 public:
  explicit GdiDeviceContext(HDC hdc) : hdc_(hdc) {}
  // Detaching leaves the host's device context open.
  ~GdiDeviceContext() override = default;

  GdiObject SelectObject(GdiObject object) override {
    HGDIOBJ previous = ::SelectObject(hdc_, ObjectOf(object));
    return previous == HGDI_ERROR ? nullptr : HandleOf(previous);
  }

  void Draw3dRect(int x, int y, int cx, int cy, ColorRef top_left, ColorRef bottom_right) override {
    for (const FrameEdge& edge : FrameEdges(x, y, cx, cy)) {
      FillSolid(edge.x1, edge.y1, edge.x2, edge.y2, edge.top_left ? top_left : bottom_right);
    }
  }

  void FillRect(const Rect& rect, GdiObject brush) override {
    const std::optional<Rect> shown = ClipToDrawable(rect.left, rect.top, rect.right, rect.bottom);
    if (!shown) return;
    const RECT r{shown->left, shown->top, shown->right, shown->bottom};
    ::FillRect(hdc_, &r, static_cast<HBRUSH>(ObjectOf(brush)));
  }

  ColorRef SetTextColor(ColorRef colour) override { return ::SetTextColor(hdc_, colour); }

  bool TextOutA(int x, int y, const char* text, int count) override {
    if (!IsDrawable(x, y)) return text != nullptr && count >= 0;  // off every surface
    return ::TextOutA(hdc_, x, y, text, count) != FALSE;
  }

  TextExtent GetTextExtent(const char* text, int count) override {
    SIZE size{};
    if (text == nullptr || ::GetTextExtentPoint32A(hdc_, text, count, &size) == FALSE) return {};
    return TextExtent{size.cx, size.cy};
  }

  int DrawTextA(const char* text, int count, const Rect& rect, std::uint32_t format) override {
    if (text == nullptr || count < 0) return 0;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    return ::DrawTextA(hdc_, text, count, &r, format);
  }

  BackgroundMode SetBkMode(BackgroundMode mode) override {
    const int previous = ::SetBkMode(hdc_, mode == BackgroundMode::Opaque ? OPAQUE : TRANSPARENT);
    return previous == OPAQUE ? BackgroundMode::Opaque : BackgroundMode::Transparent;
  }

  bool MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
    return true;
  }

  // Draws the part of the line that lies in the drawable area; GDI is given no coordinate
  // beyond it.
  bool LineTo(int x, int y) override {
    double x1 = x_;
    double y1 = y_;
    double x2 = x;
    double y2 = y;
    x_ = x;
    y_ = y;
    if (!ClipLineToDrawable(x1, y1, x2, y2)) return true;
    return ::MoveToEx(hdc_, static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)),
                      nullptr) != FALSE &&
           ::LineTo(hdc_, static_cast<int>(std::lround(x2)), static_cast<int>(std::lround(y2))) !=
               FALSE;
  }

 private:
  // Fills the pixels between two corners given in either order in one colour, leaving the
  // device context's background colour as it was.
  void FillSolid(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 ColorRef colour) {
    const std::optional<Rect> shown =
        ClipToDrawable(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    if (!shown) return;
    const RECT r{shown->left, shown->top, shown->right, shown->bottom};
    const COLORREF previous = ::SetBkColor(hdc_, colour);
    ::ExtTextOutA(hdc_, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(hdc_, previous);
  }

  HDC hdc_;
  int x_ = 0;  // the current position, as MoveTo and LineTo left it
  int y_ = 0;
};

}  // namespace

GpStatus GdiDrawing::GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput& input) {
  if (token == nullptr) return GpStatus::InvalidParameter;
  Gdiplus::GdiplusStartupInput startup;
  startup.GdiplusVersion = input.GdiplusVersion;
  startup.DebugEventCallback = reinterpret_cast<Gdiplus::DebugEventProc>(input.DebugEventCallback);
  startup.SuppressBackgroundThread = input.SuppressBackgroundThread ? TRUE : FALSE;
  startup.SuppressExternalCodecs = input.SuppressExternalCodecs ? TRUE : FALSE;
  ULONG_PTR made = 0;
  const GpStatus status = StatusOf(Gdiplus::GdiplusStartup(&made, &startup, nullptr));
  *token = made;
  return status;
}

void GdiDrawing::GdiplusShutdown(std::uintptr_t token) { Gdiplus::GdiplusShutdown(token); }

GpStatus GdiDrawing::GdipCreateFromHDC(DeviceContext dc, GpGraphics** graphics) {
  if (graphics == nullptr) return GpStatus::InvalidParameter;
  Gdiplus::GpGraphics* made = nullptr;
  const GpStatus status = StatusOf(flat::GdipCreateFromHDC(static_cast<HDC>(dc), &made));
  *graphics = reinterpret_cast<GpGraphics*>(made);
  return status;
}

GpStatus GdiDrawing::GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  return StatusOf(
      flat::GdipSetSmoothingMode(GraphicsOf(graphics), static_cast<Gdiplus::SmoothingMode>(mode)));
}

GpStatus GdiDrawing::GdipCreatePen1(Argb colour, float width, GpUnit unit, GpPen** pen) {
  if (pen == nullptr) return GpStatus::InvalidParameter;
  Gdiplus::GpPen* made = nullptr;
  const GpStatus status =
      StatusOf(flat::GdipCreatePen1(colour, width, static_cast<Gdiplus::Unit>(unit), &made));
  *pen = reinterpret_cast<GpPen*>(made);
  return status;
}

GpStatus GdiDrawing::GdipDrawArc(GpGraphics* graphics, GpPen* pen, float x, float y, float width,
                                 float height, float start_angle, float sweep_angle) {
  return StatusOf(flat::GdipDrawArc(GraphicsOf(graphics), PenOf(pen), x, y, width, height,
                                    start_angle, sweep_angle));
}

GpStatus GdiDrawing::GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points,
                                   int count) {
  if (points == nullptr || count < 2) return GpStatus::InvalidParameter;
  try {
    std::vector<Gdiplus::PointF> converted;
    converted.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) converted.emplace_back(points[i].X, points[i].Y);
    return StatusOf(flat::GdipDrawLines(GraphicsOf(graphics), PenOf(pen), converted.data(), count));
  } catch (...) {
    return GpStatus::OutOfMemory;
  }
}

GpStatus GdiDrawing::GdipDeletePen(GpPen* pen) { return StatusOf(flat::GdipDeletePen(PenOf(pen))); }

GpStatus GdiDrawing::GdipDeleteGraphics(GpGraphics* graphics) {
  return StatusOf(flat::GdipDeleteGraphics(GraphicsOf(graphics)));
}

GdiObject GdiDrawing::CreatePointFont(int tenths, const char* face) {
  LOGFONTA font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  if (face != nullptr) {
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  }
  // Tenths of a point at the screen's resolution, as a character height in logical units.
  HDC screen = ::GetDC(nullptr);
  POINT size{0, ::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), tenths, 720)};
  ::DPtoLP(screen, &size, 1);
  POINT origin{0, 0};
  ::DPtoLP(screen, &origin, 1);
  ::ReleaseDC(nullptr, screen);
  font.lfHeight = -std::abs(size.y - origin.y);
  return HandleOf(::CreateFontIndirectA(&font));
}

GdiObject GdiDrawing::CreateSolidBrush(ColorRef colour) {
  return HandleOf(::CreateSolidBrush(colour));
}

GdiObject GdiDrawing::CreatePen(PenStyle style, int width, ColorRef colour) {
  return HandleOf(::CreatePen(static_cast<int>(style), width, colour));
}

bool GdiDrawing::DeleteObject(GdiObject object) {
  return ::DeleteObject(ObjectOf(object)) != FALSE;
}

std::unique_ptr<DeviceContextWrapper> GdiDrawing::AttachDC(DeviceContext dc) {
  if (dc == nullptr) return nullptr;
  return std::unique_ptr<DeviceContextWrapper>(new (std::nothrow)
                                                   GdiDeviceContext(static_cast<HDC>(dc)));
}

}  // namespace kestrava
