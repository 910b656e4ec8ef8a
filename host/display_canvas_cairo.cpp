// The display canvas on cairo: an RGB image surface and its cairo_t.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <stdexcept>

#include "host/display_canvas.h"

namespace standin {
namespace {

// Text drawn through cairo fills cairo's and the font system's process-wide caches. They are
// released when the process ends, so that leak checkers see a clean end.
struct FontCachesAtExit {
  ~FontCachesAtExit() {
    cairo_debug_reset_static_data();
    FcFini();
  }
};

}  // namespace

struct DisplayCanvas::Impl {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
};

DisplayCanvas::DisplayCanvas(int width, int height)
    : width_(width), height_(height), impl_(std::make_unique<Impl>()) {
  static FontCachesAtExit release_at_exit;
  impl_->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  impl_->cr = cairo_create(impl_->surface);
  if (cairo_status(impl_->cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(impl_->cr);
    cairo_surface_destroy(impl_->surface);
    throw std::runtime_error("cannot make a display bitmap of that size");
  }
}

DisplayCanvas::~DisplayCanvas() {
  cairo_destroy(impl_->cr);
  cairo_surface_destroy(impl_->surface);
}

EuroScopePlugIn::DeviceContext DisplayCanvas::dc() { return impl_->cr; }

void DisplayCanvas::Fill(const EuroScopePlugIn::ScreenRect& area, Pixel colour) {
  const int left = std::max(area.left, 0);
  const int top = std::max(area.top, 0);
  const int right = std::min(area.right, width_);
  const int bottom = std::min(area.bottom, height_);
  if (right <= left || bottom <= top) return;
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
  cairo_fill(cr);
  cairo_restore(cr);
}

void DisplayCanvas::Text(int x, int y, const std::string& text, Pixel colour) {
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11.0);
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  cairo_move_to(cr, x, y + extents.ascent);
  cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
  // Callsigns are ASCII; anything else is left out rather than handed to cairo as bad UTF-8.
  std::string ascii;
  for (char c : text) ascii += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
  cairo_show_text(cr, ascii.c_str());
  cairo_restore(cr);
}

Pixel DisplayCanvas::PixelAt(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  cairo_surface_flush(impl_->surface);
  const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
  const int stride = cairo_image_surface_get_stride(impl_->surface);
  std::uint32_t word = 0;
  std::copy_n(data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4,
              4, reinterpret_cast<unsigned char*>(&word));
  return Pixel{static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 8),
               static_cast<std::uint8_t>(word)};
}

bool DisplayCanvas::SavePng(const std::string& path) {
  cairo_surface_flush(impl_->surface);
  return cairo_surface_write_to_png(impl_->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace standin
