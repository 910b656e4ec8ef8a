// The part of the 32-bit coordinate plane that any drawing surface can show, and clipping to it.
//
// Device-context calls take any 32-bit coordinates, but the libraries below them do not: cairo
// keeps coordinates as 24.8 fixed-point numbers, GDI as 27-bit numbers. The backends compute
// edges in 64 bits and clip every figure to this area first; what lies outside it lies off every
// surface (none is nearly this large), so clipping changes no pixel. Pure; any thread.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/drawing.h"

namespace kestrava {

inline constexpr std::int64_t kDrawableLimit = std::int64_t{1} << 22;

// Whether the point lies in the drawable area.
constexpr bool IsDrawable(std::int64_t x, std::int64_t y) {
  return x >= -kDrawableLimit && x <= kDrawableLimit && y >= -kDrawableLimit && y <= kDrawableLimit;
}

// The rectangle (right and bottom exclusive) clipped to the drawable area; nothing when no pixel
// of it is left.
inline std::optional<Rect> ClipToDrawable(std::int64_t left, std::int64_t top, std::int64_t right,
                                          std::int64_t bottom) {
  left = std::max(left, -kDrawableLimit);
  top = std::max(top, -kDrawableLimit);
  right = std::min(right, kDrawableLimit);
  bottom = std::min(bottom, kDrawableLimit);
  if (right <= left || bottom <= top) return std::nullopt;
  return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
              static_cast<int>(bottom)};
}

// One of the four one-pixel edges of the frame Draw3dRect paints: a rectangle between two corners
// given in either order, in the top-left colour or the bottom-right one.
struct FrameEdge {
  std::int64_t x1, y1, x2, y2;
  bool top_left;
};

// The edges of the frame of (x, y, cx, cy), computed in 64 bits: a frame may reach past the end
// of the 32-bit range. Top and left edges end one pixel short of the far corners, which the
// bottom and right edges paint.
constexpr std::array<FrameEdge, 4> FrameEdges(int x, int y, int cx, int cy) {
  const std::int64_t left = x;
  const std::int64_t top = y;
  const std::int64_t right = left + cx;
  const std::int64_t bottom = top + cy;
  return {{{left, top, right - 1, top + 1, true},
           {left, top, left + 1, bottom - 1, true},
           {right, top, right - 1, bottom, false},
           {left, bottom, right, bottom - 1, false}}};
}

// Cuts the segment from (x1, y1) to (x2, y2) to the drawable area; false when none of it lies
// there. (Liang-Barsky: the ends move along the segment, so its direction is kept.)
inline bool ClipLineToDrawable(double& x1, double& y1, double& x2, double& y2) {
  const double limit = static_cast<double>(kDrawableLimit);
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  double enter = 0.0;
  double leave = 1.0;
  const auto edge = [&](double towards, double room) {  // room: distance inside the edge
    if (towards == 0.0) return room >= 0.0;
    const double at = room / towards;
    if (towards < 0.0) {
      enter = std::max(enter, at);
    } else {
      leave = std::min(leave, at);
    }
    return enter <= leave;
  };
  if (!edge(-dx, x1 + limit) || !edge(dx, limit - x1) || !edge(-dy, y1 + limit) ||
      !edge(dy, limit - y1)) {
    return false;
  }
  const double start_x = x1 + enter * dx;
  const double start_y = y1 + enter * dy;
  x2 = x1 + leave * dx;
  y2 = y1 + leave * dy;
  x1 = start_x;
  y1 = start_y;
  return true;
}

}  // namespace kestrava
