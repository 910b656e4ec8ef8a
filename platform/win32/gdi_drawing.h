// The drawing calls of the Windows backend: GDI+ through its flat functions, and GDI on the
// host's HDC. Thin mappings: each call is the Windows call of the same name.
//
// Thread: one device context on one thread at a time; object creation from any thread.
#pragma once

#include "platform/drawing.h"

namespace kestrava {

class GdiDrawing final : public Drawing {
 public:
  GpStatus GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput& input) override;
  void GdiplusShutdown(std::uintptr_t token) override;
  GpStatus GdipCreateFromHDC(DeviceContext dc, GpGraphics** graphics) override;
  GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) override;
  GpStatus GdipCreatePen1(Argb colour, float width, GpUnit unit, GpPen** pen) override;
  GpStatus GdipDrawArc(GpGraphics* graphics, GpPen* pen, float x, float y, float width,
                       float height, float start_angle, float sweep_angle) override;
  GpStatus GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points,
                         int count) override;
  GpStatus GdipDeletePen(GpPen* pen) override;
  GpStatus GdipDeleteGraphics(GpGraphics* graphics) override;

  GdiObject CreatePointFont(int tenths, const char* face) override;
  GdiObject CreateSolidBrush(ColorRef colour) override;
  GdiObject CreatePen(PenStyle style, int width, ColorRef colour) override;
  bool DeleteObject(GdiObject object) override;
  std::unique_ptr<DeviceContextWrapper> AttachDC(DeviceContext dc) override;
};

}  // namespace kestrava
