// Drawing on the host's device contexts, in the shape of the two Windows drawing layers the radar
// displays use: the GDI+ flat calls (anti-aliased, semi-transparent marks) and the device-context
// calls (frames, fills, text, lines).
//
// Backends: GDI+ and GDI on Windows (the device context is an HDC); cairo elsewhere (the device
// context is a cairo_t* whose state is saved and restored around every use, and whose pixel
// grid follows GDI+'s: pixel centres on whole coordinates). Tests use a recording backend.
//
// Handles (GpGraphics*, GpPen*, GdiObject) are opaque: only the backend that made one may take
// it back. A failed call returns a non-Ok status (or a null handle) and changes nothing; passing
// a null handle is such a failure, never a crash. No call throws.
//
// Thread: the host's thread, during the refresh pass that handed out the device context (the
// object creation and GDI+ start-up calls also on any other thread).
#pragma once

#include <cstdint>
#include <memory>

namespace kestrava {

using DeviceContext = void*;     // the host's drawing surface for one pass
using ColorRef = std::uint32_t;  // 0x00BBGGRR
using Argb = std::uint32_t;      // 0xAARRGGBB

constexpr ColorRef Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
         (static_cast<ColorRef>(blue) << 16);
}

// --- GDI+ -------------------------------------------------------------------------------------

struct GpGraphics;  // never defined: each backend casts its own objects
struct GpPen;

enum class GpStatus : int { Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3 };
enum class SmoothingMode : int {
  Default = 0,
  HighSpeed = 1,
  HighQuality = 2,
  None = 3,
  AntiAlias = 4
};
enum class GpUnit : int { World = 0, Display = 1, Pixel = 2 };

struct PointF {
  float X = 0.0f;
  float Y = 0.0f;
};

// What GdiplusStartup is given: version 1, no debug callback, the background thread and the
// external codecs not suppressed.
struct GdiplusStartupInput {
  std::uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  bool SuppressBackgroundThread = false;
  bool SuppressExternalCodecs = false;
};

// --- GDI ----------------------------------------------------------------------------------------

struct GdiObjectTag;              // never defined
using GdiObject = GdiObjectTag*;  // a font, brush or pen; null: none

enum class PenStyle : int { Solid = 0 };

struct Rect {  // right and bottom are exclusive
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct TextExtent {
  int cx = 0;  // width in pixels
  int cy = 0;  // height: one line of the font
};

// DrawTextA formats (the Windows values): horizontal alignment, and for a single line the
// vertical centring.
inline constexpr std::uint32_t kDtLeft = 0x0000;
inline constexpr std::uint32_t kDtCenter = 0x0001;
inline constexpr std::uint32_t kDtRight = 0x0002;
inline constexpr std::uint32_t kDtVCenter = 0x0004;
inline constexpr std::uint32_t kDtSingleLine = 0x0020;

enum class BackgroundMode : int { Transparent = 1, Opaque = 2 };

// A device context attached for one drawing; detaching (destroying the wrapper) leaves the host's
// device context open. Selected objects and the text colour are the device context's state.
class DeviceContextWrapper {
 public:
  DeviceContextWrapper() = default;
  DeviceContextWrapper(const DeviceContextWrapper&) = delete;
  DeviceContextWrapper& operator=(const DeviceContextWrapper&) = delete;
  virtual ~DeviceContextWrapper() = default;

  // Selects a font or pen (brushes are passed to FillRect) and returns the one of the same kind
  // selected before, or null on failure.
  virtual GdiObject SelectObject(GdiObject object) = 0;
  // A one-pixel frame of the rectangle (left, top, width, height): top and left edges in
  // `top_left`, bottom and right edges in `bottom_right`.
  virtual void Draw3dRect(int x, int y, int cx, int cy, ColorRef top_left,
                          ColorRef bottom_right) = 0;
  virtual void FillRect(const Rect& rect, GdiObject brush) = 0;
  // Returns the previous text colour.
  virtual ColorRef SetTextColor(ColorRef colour) = 0;
  // `count` bytes of 8-bit text with the cell's top-left corner at (x, y), in the selected font
  // and the text colour, on a transparent background.
  virtual bool TextOutA(int x, int y, const char* text, int count) = 0;
  // The size of `count` bytes of 8-bit text in the selected font.
  virtual TextExtent GetTextExtent(const char* text, int count) = 0;
  // `count` bytes of 8-bit text in `rect`, aligned by `format` (kDt* bits; without
  // kDtSingleLine the text starts at the rectangle's top), in the selected font and the text
  // colour, clipped to the rectangle. Returns the height drawn, 0 on failure.
  virtual int DrawTextA(const char* text, int count, const Rect& rect, std::uint32_t format) = 0;
  // How text backgrounds are drawn; returns the previous mode.
  virtual BackgroundMode SetBkMode(BackgroundMode mode) = 0;
  virtual bool MoveTo(int x, int y) = 0;
  // A line in the selected pen from the current position to (x, y), the end point excluded;
  // (x, y) becomes the current position.
  virtual bool LineTo(int x, int y) = 0;
};

class Drawing {
 public:
  Drawing() = default;
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;
  virtual ~Drawing() = default;

  // --- GDI+ (units: pixels; angles in degrees, clockwise on the screen) ---
  virtual GpStatus GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput& input) = 0;
  virtual void GdiplusShutdown(std::uintptr_t token) = 0;
  // A graphics object drawing on `dc`, smoothing off until set; delete it before the pass ends.
  virtual GpStatus GdipCreateFromHDC(DeviceContext dc, GpGraphics** graphics) = 0;
  virtual GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) = 0;
  virtual GpStatus GdipCreatePen1(Argb colour, float width, GpUnit unit, GpPen** pen) = 0;
  // The arc of the ellipse inscribed in (x, y, width, height).
  virtual GpStatus GdipDrawArc(GpGraphics* graphics, GpPen* pen, float x, float y, float width,
                               float height, float start_angle, float sweep_angle) = 0;
  // An open polyline through `count` points (at least 2).
  virtual GpStatus GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points,
                                 int count) = 0;
  virtual GpStatus GdipDeletePen(GpPen* pen) = 0;
  virtual GpStatus GdipDeleteGraphics(GpGraphics* graphics) = 0;

  // --- GDI objects (owned by the caller until DeleteObject) ---
  // A font of `tenths` tenths of a point measured against the screen; an unknown face gives
  // the system's nearest font.
  virtual GdiObject CreatePointFont(int tenths, const char* face) = 0;
  virtual GdiObject CreateSolidBrush(ColorRef colour) = 0;
  virtual GdiObject CreatePen(PenStyle style, int width, ColorRef colour) = 0;
  // Select an object out of every device context before deleting it.
  virtual bool DeleteObject(GdiObject object) = 0;
  // Null when `dc` is null.
  virtual std::unique_ptr<DeviceContextWrapper> AttachDC(DeviceContext dc) = 0;
};

}  // namespace kestrava
