#include "platform/posix/cairo_drawing.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <optional>
#include <string>

#include "platform/drawable_area.h"

namespace kestrava {
namespace {

// GDI+'s pixel grid puts pixel centres on whole coordinates, cairo's on halves.
constexpr double kPixelCentre = 0.5;
// Figures stroked together at most: large enough to save the per-stroke work, small enough to
// keep the scan conversion's edge lists short.
constexpr int kFiguresPerStroke = 32;
// The screen resolution fonts are measured against.
constexpr int kScreenDotsPerInch = 96;

struct Colour {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;
};

Colour FromColorRef(ColorRef c) {
  return Colour{static_cast<double>(c & 0xFFu) / 255.0,
                static_cast<double>((c >> 8) & 0xFFu) / 255.0,
                static_cast<double>((c >> 16) & 0xFFu) / 255.0, 1.0};
}

Colour FromArgb(Argb c) {
  return Colour{
      static_cast<double>((c >> 16) & 0xFFu) / 255.0, static_cast<double>((c >> 8) & 0xFFu) / 255.0,
      static_cast<double>(c & 0xFFu) / 255.0, static_cast<double>((c >> 24) & 0xFFu) / 255.0};
}

void SetSource(cairo_t* cr, const Colour& c) {
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
}

// --- GDI+ objects
// ---------------------------------------------------------------------------------

struct Pen {
  Colour colour;
  double width = 1.0;
};

// Consecutive strokes of one opaque pen are collected into one path and stroked together when
// another pen, another smoothing mode or the end of the graphics object comes: one scan
// conversion instead of one per mark. Opaque strokes drawn one after the other look the same
// (where they overlap, the edge pixels are those of their union); translucent strokes are drawn
// at once, since drawing them together would blend their overlaps only once.
struct Graphics {
  cairo_t* cr = nullptr;
  int pending = 0;  // figures in the current path not drawn yet, all in `pending_pen`
  Pen pending_pen;
};

Graphics* GraphicsOf(GpGraphics* handle) { return reinterpret_cast<Graphics*>(handle); }
Pen* PenOf(GpPen* handle) { return reinterpret_cast<Pen*>(handle); }

bool SamePen(const Pen& a, const Pen& b) {
  return a.width == b.width && a.colour.red == b.colour.red && a.colour.green == b.colour.green &&
         a.colour.blue == b.colour.blue && a.colour.alpha == b.colour.alpha;
}

// Draws the strokes collected so far.
void Flush(Graphics& g) {
  if (g.pending == 0) return;
  g.pending = 0;
  SetSource(g.cr, g.pending_pen.colour);
  // A pen of width 0 draws the thinnest line, as GDI+ does.
  cairo_set_line_width(g.cr, g.pending_pen.width > 0.0 ? g.pending_pen.width : 1.0);
  cairo_stroke(g.cr);
}

// Prepares the path for a new figure in `pen`: draws what was collected in another pen.
void BeginFigure(Graphics& g, const Pen& pen) {
  if (g.pending > 0 && !SamePen(g.pending_pen, pen)) Flush(g);
  if (g.pending == 0) cairo_new_path(g.cr);
  cairo_new_sub_path(g.cr);
}

// Ends a figure added to the path: collected when the pen is opaque, else drawn at once.
void EndFigure(Graphics& g, const Pen& pen) {
  ++g.pending;
  g.pending_pen = pen;
  if (pen.colour.alpha < 1.0 || g.pending == kFiguresPerStroke) Flush(g);
}

// --- GDI objects ------------------------------------------------------------------------------

struct GdiValue {
  enum class Kind { Font, Brush, Pen } kind = Kind::Pen;
  Colour colour;            // brush and pen
  int width = 1;            // pen
  std::string face;         // font
  double pixel_size = 0.0;  // font
};

GdiValue* ValueOf(GdiObject handle) { return reinterpret_cast<GdiValue*>(handle); }
GdiObject HandleOf(GdiValue* value) { return reinterpret_cast<GdiObject>(value); }

// The objects a device context starts with; never deleted.
GdiValue& StockFont() {
  static GdiValue font{GdiValue::Kind::Font, {}, 1, "sans-serif", 16.0};
  return font;
}
GdiValue& StockBrush() {
  static GdiValue brush{GdiValue::Kind::Brush, FromColorRef(Rgb(255, 255, 255)), 1, {}, 0.0};
  return brush;
}
GdiValue& StockPen() {
  static GdiValue pen{GdiValue::Kind::Pen, FromColorRef(Rgb(0, 0, 0)), 1, {}, 0.0};
  return pen;
}

bool IsStock(const GdiValue* value) {
  return value == &StockFont() || value == &StockBrush() || value == &StockPen();
}

// Host texts are 8-bit (Latin-1) bytes; cairo takes UTF-8.
std::string Utf8FromLatin1(const char* text, int count) {
  std::string out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

class CairoDeviceContext final : public DeviceContextWrapper {
 public:
  explicit CairoDeviceContext(cairo_t* cr) : cr_(cr) {
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  }
  ~CairoDeviceContext() override { cairo_restore(cr_); }

  GdiObject SelectObject(GdiObject object) override {
    GdiValue* value = ValueOf(object);
    if (value == nullptr) return nullptr;
    Selected& slot = value->kind == GdiValue::Kind::Font    ? font_
                     : value->kind == GdiValue::Kind::Brush ? brush_
                                                            : pen_;
    const GdiObject previous = slot.handle;
    // The values are copied, so deleting an object never leaves this context dangling.
    slot = Selected{object, *value};
    return previous;
  }

  void Draw3dRect(int x, int y, int cx, int cy, ColorRef top_left, ColorRef bottom_right) override {
    for (const FrameEdge& edge : FrameEdges(x, y, cx, cy)) {
      FillSolid(edge.x1, edge.y1, edge.x2, edge.y2, edge.top_left ? top_left : bottom_right);
    }
  }

  void FillRect(const Rect& rect, GdiObject brush) override {
    const GdiValue* value = ValueOf(brush);
    if (value == nullptr || value->kind != GdiValue::Kind::Brush) return;
    const std::optional<Rect> shown = ClipToDrawable(rect.left, rect.top, rect.right, rect.bottom);
    if (!shown) return;
    cairo_rectangle(cr_, shown->left, shown->top, static_cast<double>(shown->right) - shown->left,
                    static_cast<double>(shown->bottom) - shown->top);
    SetSource(cr_, value->colour);
    cairo_fill(cr_);
  }

  ColorRef SetTextColor(ColorRef colour) override {
    const ColorRef previous = text_colour_;
    text_colour_ = colour;
    return previous;
  }

  bool TextOutA(int x, int y, const char* text, int count) override {
    if (text == nullptr || count < 0) return false;
    if (!IsDrawable(x, y)) return true;  // off every surface
    cairo_save(cr_);
    const cairo_font_extents_t font = UseFont();
    cairo_move_to(cr_, x, y + font.ascent);
    SetSource(cr_, FromColorRef(text_colour_));
    cairo_show_text(cr_, Utf8FromLatin1(text, count).c_str());
    cairo_restore(cr_);
    return cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
  }

  TextExtent GetTextExtent(const char* text, int count) override {
    if (text == nullptr || count < 0) return {};
    cairo_save(cr_);
    const cairo_font_extents_t font = UseFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, Utf8FromLatin1(text, count).c_str(), &extents);
    cairo_restore(cr_);
    return TextExtent{static_cast<int>(std::lround(extents.x_advance)), LineHeight(font)};
  }

  int DrawTextA(const char* text, int count, const Rect& rect, std::uint32_t format) override {
    if (text == nullptr || count < 0) return 0;
    const std::string utf8 = Utf8FromLatin1(text, count);
    cairo_save(cr_);
    const cairo_font_extents_t font = UseFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, utf8.c_str(), &extents);
    const int width = static_cast<int>(std::lround(extents.x_advance));
    const int height = LineHeight(font);
    int x = rect.left;
    if ((format & kDtCenter) != 0) {
      x = rect.left + (rect.right - rect.left - width) / 2;
    } else if ((format & kDtRight) != 0) {
      x = rect.right - width;
    }
    int y = rect.top;
    if ((format & kDtSingleLine) != 0 && (format & kDtVCenter) != 0) {
      y = rect.top + (rect.bottom - rect.top - height) / 2;
    }
    cairo_rectangle(cr_, rect.left, rect.top, static_cast<double>(rect.right) - rect.left,
                    static_cast<double>(rect.bottom) - rect.top);
    cairo_clip(cr_);
    cairo_move_to(cr_, x, y + font.ascent);
    SetSource(cr_, FromColorRef(text_colour_));
    cairo_show_text(cr_, utf8.c_str());
    cairo_restore(cr_);
    return cairo_status(cr_) == CAIRO_STATUS_SUCCESS ? height : 0;
  }

  BackgroundMode SetBkMode(BackgroundMode mode) override {
    const BackgroundMode previous = background_mode_;
    background_mode_ = mode;
    return previous;
  }

  bool MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
    return true;
  }

  bool LineTo(int x, int y) override {
    const GdiValue& pen = pen_.value;
    double x1 = x_;
    double y1 = y_;
    double x2 = x;
    double y2 = y;
    x_ = x;
    y_ = y;
    if (!ClipLineToDrawable(x1, y1, x2, y2)) return true;  // off every surface
    cairo_new_path(cr_);
    cairo_move_to(cr_, x1 + kPixelCentre, y1 + kPixelCentre);
    cairo_line_to(cr_, x2 + kPixelCentre, y2 + kPixelCentre);
    // Wide GDI pens have round ends; one-pixel lines stop at the end point.
    cairo_set_line_cap(cr_, pen.width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr_, std::max(pen.width, 1));
    SetSource(cr_, pen.colour);
    cairo_stroke(cr_);
    return true;
  }

 private:
  struct Selected {
    GdiObject handle;
    GdiValue value;
  };

  // Makes the selected font current (inside a saved state) and returns its extents.
  cairo_font_extents_t UseFont() {
    const GdiValue& font = font_.value;
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
    cairo_select_font_face(cr_, font.face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, font.pixel_size);
    cairo_font_extents_t extents;
    cairo_font_extents(cr_, &extents);
    return extents;
  }

  // One line of the font: ascent and descent, as GDI measures a text's height.
  static int LineHeight(const cairo_font_extents_t& font) {
    return static_cast<int>(std::lround(font.ascent + font.descent));
  }

  // Fills the pixels between two corners given in either order, as GDI's opaque fills do.
  void FillSolid(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 ColorRef colour) {
    const std::optional<Rect> shown =
        ClipToDrawable(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    if (!shown) return;
    cairo_rectangle(cr_, shown->left, shown->top, static_cast<double>(shown->right) - shown->left,
                    static_cast<double>(shown->bottom) - shown->top);
    SetSource(cr_, FromColorRef(colour));
    cairo_fill(cr_);
  }

  cairo_t* cr_;
  Selected font_{HandleOf(&StockFont()), StockFont()};
  Selected brush_{HandleOf(&StockBrush()), StockBrush()};
  Selected pen_{HandleOf(&StockPen()), StockPen()};
  ColorRef text_colour_ = Rgb(0, 0, 0);
  BackgroundMode background_mode_ = BackgroundMode::Transparent;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace

GpStatus CairoDrawing::GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput& input) {
  static std::atomic<std::uintptr_t> next_token{1};
  if (token == nullptr || input.GdiplusVersion != 1) return GpStatus::InvalidParameter;
  *token = next_token++;
  return GpStatus::Ok;
}

void CairoDrawing::GdiplusShutdown(std::uintptr_t /*token*/) {}

GpStatus CairoDrawing::GdipCreateFromHDC(DeviceContext dc, GpGraphics** graphics) {
  if (graphics == nullptr) return GpStatus::InvalidParameter;
  *graphics = nullptr;
  auto* cr = static_cast<cairo_t*>(dc);
  if (cr == nullptr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return GpStatus::InvalidParameter;
  auto* made = new (std::nothrow) Graphics{cr, 0, Pen{}};
  if (made == nullptr) return GpStatus::OutOfMemory;
  cairo_save(cr);
  cairo_translate(cr, kPixelCentre, kPixelCentre);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  *graphics = reinterpret_cast<GpGraphics*>(made);
  return GpStatus::Ok;
}

GpStatus CairoDrawing::GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  Graphics* g = GraphicsOf(graphics);
  if (g == nullptr) return GpStatus::InvalidParameter;
  Flush(*g);
  switch (mode) {
    case SmoothingMode::Default:
    case SmoothingMode::HighSpeed:
    case SmoothingMode::None: cairo_set_antialias(g->cr, CAIRO_ANTIALIAS_NONE); return GpStatus::Ok;
    case SmoothingMode::HighQuality:
    case SmoothingMode::AntiAlias:
      cairo_set_antialias(g->cr, CAIRO_ANTIALIAS_FAST);
      return GpStatus::Ok;
  }
  return GpStatus::InvalidParameter;
}

GpStatus CairoDrawing::GdipCreatePen1(Argb colour, float width, GpUnit unit, GpPen** pen) {
  if (pen == nullptr) return GpStatus::InvalidParameter;
  *pen = nullptr;
  if (!(width >= 0.0f) ||
      (unit != GpUnit::World && unit != GpUnit::Display && unit != GpUnit::Pixel)) {
    return GpStatus::InvalidParameter;
  }
  auto* made = new (std::nothrow) Pen{FromArgb(colour), static_cast<double>(width)};
  if (made == nullptr) return GpStatus::OutOfMemory;
  *pen = reinterpret_cast<GpPen*>(made);
  return GpStatus::Ok;
}

GpStatus CairoDrawing::GdipDrawArc(GpGraphics* graphics, GpPen* pen, float x, float y, float width,
                                   float height, float start_angle, float sweep_angle) {
  Graphics* g = GraphicsOf(graphics);
  Pen* p = PenOf(pen);
  if (g == nullptr || p == nullptr || !(width > 0.0f) || !(height > 0.0f) || !std::isfinite(x) ||
      !std::isfinite(y) || !std::isfinite(start_angle) || !std::isfinite(sweep_angle)) {
    return GpStatus::InvalidParameter;
  }
  constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
  cairo_t* cr = g->cr;
  BeginFigure(*g, *p);
  cairo_save(cr);
  cairo_translate(cr, static_cast<double>(x) + width / 2.0, static_cast<double>(y) + height / 2.0);
  cairo_scale(cr, width / 2.0, height / 2.0);
  const bool whole = std::fabs(sweep_angle) >= 360.0f;
  const double start = static_cast<double>(start_angle) * kRadiansPerDegree;
  const double end = start + (whole ? 360.0 : static_cast<double>(sweep_angle)) * kRadiansPerDegree;
  if (sweep_angle >= 0.0f) {
    cairo_arc(cr, 0.0, 0.0, 1.0, start, end);
  } else {
    cairo_arc_negative(cr, 0.0, 0.0, 1.0, start, end);
  }
  if (whole) cairo_close_path(cr);
  cairo_restore(cr);  // the pen's width is in pixels, not in the ellipse's scale
  EndFigure(*g, *p);
  return GpStatus::Ok;
}

GpStatus CairoDrawing::GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points,
                                     int count) {
  Graphics* g = GraphicsOf(graphics);
  Pen* p = PenOf(pen);
  if (g == nullptr || p == nullptr || points == nullptr || count < 2) {
    return GpStatus::InvalidParameter;
  }
  cairo_t* cr = g->cr;
  BeginFigure(*g, *p);
  cairo_move_to(cr, points[0].X, points[0].Y);
  for (int i = 1; i < count; ++i) cairo_line_to(cr, points[i].X, points[i].Y);
  EndFigure(*g, *p);
  return GpStatus::Ok;
}

GpStatus CairoDrawing::GdipDeletePen(GpPen* pen) {
  if (pen == nullptr) return GpStatus::InvalidParameter;
  delete PenOf(pen);
  return GpStatus::Ok;
}

GpStatus CairoDrawing::GdipDeleteGraphics(GpGraphics* graphics) {
  Graphics* g = GraphicsOf(graphics);
  if (g == nullptr) return GpStatus::InvalidParameter;
  Flush(*g);
  cairo_restore(g->cr);
  delete g;
  return GpStatus::Ok;
}

GdiObject CairoDrawing::CreatePointFont(int tenths, const char* face) {
  // As a screen font: the height in pixels is the point size at the screen's resolution.
  const double pixels =
      std::round(std::abs(static_cast<double>(tenths)) * kScreenDotsPerInch / 720.0);
  if (pixels <= 0.0) return nullptr;
  try {
    return HandleOf(new GdiValue{GdiValue::Kind::Font, {}, 1, face != nullptr ? face : "", pixels});
  } catch (...) {
    return nullptr;
  }
}

GdiObject CairoDrawing::CreateSolidBrush(ColorRef colour) {
  return HandleOf(new (std::nothrow)
                      GdiValue{GdiValue::Kind::Brush, FromColorRef(colour), 1, {}, 0.0});
}

GdiObject CairoDrawing::CreatePen(PenStyle style, int width, ColorRef colour) {
  if (style != PenStyle::Solid || width < 0) return nullptr;
  return HandleOf(new (std::nothrow) GdiValue{
      GdiValue::Kind::Pen, FromColorRef(colour), std::max(width, 1), {}, 0.0});
}

bool CairoDrawing::DeleteObject(GdiObject object) {
  GdiValue* value = ValueOf(object);
  if (value == nullptr || IsStock(value)) return false;
  delete value;
  return true;
}

std::unique_ptr<DeviceContextWrapper> CairoDrawing::AttachDC(DeviceContext dc) {
  auto* cr = static_cast<cairo_t*>(dc);
  if (cr == nullptr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return nullptr;
  return std::unique_ptr<DeviceContextWrapper>(new (std::nothrow) CairoDeviceContext(cr));
}

}  // namespace kestrava
