#include "platform/win32/window_snapshot.h"

#include <windows.h>
// windows.h first: the GDI+ headers build on it.
#include <gdiplus.h>

#include <algorithm>

namespace kestrava {
namespace {

namespace flat = Gdiplus::DllExports;

// GDI+'s PNG encoder.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

bool EncodePng(const void* bits, int width, int height, const std::string& png_path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool saved = false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (flat::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                      static_cast<BYTE*>(const_cast<void*>(bits)),
                                      &bitmap) == Gdiplus::Ok) {
    saved = flat::GdipSaveImageToFile(bitmap, Wide(png_path).c_str(), &kPngEncoder, nullptr) ==
            Gdiplus::Ok;
    flat::GdipDisposeImage(bitmap);
  }
  Gdiplus::GdiplusShutdown(token);
  return saved;
}

}  // namespace

bool SaveWindowPng(HWND window, const std::string& png_path) {
  RECT frame = {};
  if (!IsWindow(window) || !GetWindowRect(window, &frame)) return false;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (dc != nullptr && bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(dc, bitmap);
    // Everything painted first, then the window's pixels as shown, child windows included.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC shown = GetWindowDC(window);
    if (shown != nullptr && BitBlt(dc, 0, 0, width, height, shown, 0, 0, SRCCOPY)) {
      GdiFlush();
      saved = EncodePng(bits, width, height, png_path);
    }
    if (shown != nullptr) ReleaseDC(window, shown);
    SelectObject(dc, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (dc != nullptr) DeleteDC(dc);
  return saved;
}

}  // namespace kestrava
