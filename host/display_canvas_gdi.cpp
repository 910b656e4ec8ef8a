// The display canvas on GDI: a 32-bit top-down DIB section selected into a memory device
// context; PNG files are written through GDI+.
#include <windows.h>
// windows.h first: the GDI+ headers build on it.
#include <gdiplus.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "host/display_canvas.h"

namespace standin {
namespace {

COLORREF ColourOf(Pixel p) { return RGB(p.red, p.green, p.blue); }

// GDI+'s PNG encoder.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace

struct DisplayCanvas::Impl {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous_bitmap = nullptr;
  HFONT font = nullptr;
  std::uint32_t* bits = nullptr;
  ULONG_PTR gdiplus = 0;
};

DisplayCanvas::DisplayCanvas(int width, int height)
    : width_(width), height_(height), impl_(std::make_unique<Impl>()) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  impl_->dc = CreateCompatibleDC(nullptr);
  impl_->bitmap = CreateDIBSection(impl_->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (impl_->dc == nullptr || impl_->bitmap == nullptr) {
    if (impl_->bitmap != nullptr) DeleteObject(impl_->bitmap);
    if (impl_->dc != nullptr) DeleteDC(impl_->dc);
    throw std::runtime_error("cannot make a display bitmap of that size");
  }
  impl_->bits = static_cast<std::uint32_t*>(bits);
  impl_->previous_bitmap = SelectObject(impl_->dc, impl_->bitmap);
  // The radar's text is drawn without a background box.
  SetBkMode(impl_->dc, TRANSPARENT);
  impl_->font =
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  Gdiplus::GdiplusStartupInput startup;
  Gdiplus::GdiplusStartup(&impl_->gdiplus, &startup, nullptr);
}

DisplayCanvas::~DisplayCanvas() {
  SelectObject(impl_->dc, impl_->previous_bitmap);
  DeleteObject(impl_->bitmap);
  if (impl_->font != nullptr) DeleteObject(impl_->font);
  DeleteDC(impl_->dc);
  if (impl_->gdiplus != 0) Gdiplus::GdiplusShutdown(impl_->gdiplus);
}

EuroScopePlugIn::DeviceContext DisplayCanvas::dc() { return impl_->dc; }

void DisplayCanvas::Fill(const EuroScopePlugIn::ScreenRect& area, Pixel colour) {
  const RECT r{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width_),
               std::min(area.bottom, height_)};
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(ColourOf(colour));
  FillRect(impl_->dc, &r, brush);
  DeleteObject(brush);
}

void DisplayCanvas::Text(int x, int y, const std::string& text, Pixel colour) {
  HGDIOBJ previous_font = SelectObject(impl_->dc, impl_->font);
  const COLORREF previous_colour = SetTextColor(impl_->dc, ColourOf(colour));
  TextOutA(impl_->dc, x, y, text.data(), static_cast<int>(text.size()));
  SetTextColor(impl_->dc, previous_colour);
  SelectObject(impl_->dc, previous_font);
}

Pixel DisplayCanvas::PixelAt(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  GdiFlush();
  const std::uint32_t word = impl_->bits[static_cast<std::size_t>(y) * width_ + x];
  return Pixel{static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 8),
               static_cast<std::uint8_t>(word)};
}

bool DisplayCanvas::SavePng(const std::string& path) {
  GdiFlush();
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
          width_, height_, width_ * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(impl_->bits),
          &bitmap) != Gdiplus::Ok) {
    return false;
  }
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
  const bool saved = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, wide.c_str(), &kPngEncoder,
                                                              nullptr) == Gdiplus::Ok;
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  return saved;
}

}  // namespace standin
