// A drawing backend for tests that draws nothing and keeps every call with its exact arguments.
//
// Each call is recorded as its name, its numeric arguments in order (handles as the small
// numbers this backend hands out, colours as their 32-bit values, floats exactly) and its text.
// Handles are counted so that a test can tell that every object made was deleted again.
// Thread: the host's thread.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drawing.h"

namespace kestrava::testing {

struct DrawingCall {
  std::string name;
  std::vector<double> args;
  std::string text;
  bool operator==(const DrawingCall&) const = default;
};
std::ostream& operator<<(std::ostream& out, const DrawingCall& call);

class RecordingDrawing : public Drawing {
 public:
  // The handle numbers of the objects a device context starts with.
  static constexpr double kStockFont = 901;
  static constexpr double kStockPen = 902;
  static constexpr double kStockBrush = 903;

  // Text metrics of every font: each character this wide, each line this high.
  static constexpr int kCharWidth = 6;
  static constexpr int kLineHeight = 13;

  std::vector<DrawingCall> calls;

  // The calls named `name`, in order.
  std::vector<DrawingCall> Named(std::string_view name) const;
  // Names of the calls, in order.
  std::vector<std::string> Names() const;
  // Objects made (graphics, pens, fonts, brushes, attached device contexts) and not yet deleted.
  int LiveObjects() const { return static_cast<int>(live_.size()); }
  void Clear() { calls.clear(); }

  // Fault: GdipCreateFromHDC fails.
  bool fail_graphics = false;

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

 private:
  friend class RecordingDeviceContext;

  std::uintptr_t Make(const std::string& kind);
  // Forgets a live handle of `kind`; false when there is none.
  bool Forget(std::uintptr_t id, const std::string& kind);
  std::string KindOf(std::uintptr_t id) const;
  void Record(std::string name, std::vector<double> args, std::string text = {});

  std::uintptr_t next_id_ = 1;
  std::map<std::uintptr_t, std::string> live_;
};

}  // namespace kestrava::testing
