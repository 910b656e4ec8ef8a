// Headless dialogs on Windows: owner-drawn controls draw on a memory device context (a 32-bit DIB
// section of the client area). No pictures: the Win32 dialogs take real ones.
#include <windows.h>

#include "platform/headless/dialog_surface.h"

namespace kestrava {
namespace {

class GdiDialogSurface final : public DialogSurface {
 public:
  GdiDialogSurface(int width, int height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ != nullptr && bitmap_ != nullptr) previous_ = SelectObject(dc_, bitmap_);
  }
  ~GdiDialogSurface() override {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }

  DeviceContext BeginItem(const Rect& item) override {
    if (previous_ == nullptr) return nullptr;
    saved_ = SaveDC(dc_);
    SetViewportOrgEx(dc_, item.left, item.top, nullptr);
    IntersectClipRect(dc_, 0, 0, item.right - item.left, item.bottom - item.top);
    return dc_;
  }

  void EndItem() override {
    if (saved_ != 0) RestoreDC(dc_, saved_);
    saved_ = 0;
  }

  void Paint(const DialogLook& /*look*/) override {}
  bool SavePng(const std::string& /*path*/) override { return false; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  int saved_ = 0;
};

}  // namespace

std::unique_ptr<DialogSurface> MakeDialogSurface(int width, int height) {
  return std::make_unique<GdiDialogSurface>(width > 0 ? width : 1, height > 0 ? height : 1);
}

}  // namespace kestrava
