// The drawing calls of the POSIX backend, on cairo. A device context is a cairo_t*; every graphics
// object and attached wrapper saves its state on creation and restores it when deleted, so the
// host's own drawing state is never changed.
//
// Like GDI+ and GDI, pixel centres lie on whole coordinates: a one-pixel line between whole points
// covers exactly one row or column of pixels. Smoothing is off unless a graphics object's mode
// asks for it; the device-context calls never smooth lines (text is drawn as the font system
// renders it). Text is drawn on a transparent background whatever the background mode, and
// DrawTextA draws its text as one line.
//
// Consecutive figures in one opaque pen may be collected and stroked together; everything a
// graphics object was asked to draw is on the surface once it is deleted.
//
// Thread: one device context on one thread at a time; object creation from any thread.
#pragma once

#include "platform/drawing.h"

namespace kestrava {

class CairoDrawing final : public Drawing {
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
