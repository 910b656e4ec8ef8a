// Where a headless dialog is drawn: the device context its owner-drawn controls draw on (with the
// build's drawing service, Env::DrawingService) and, where the platform can, a picture of the
// whole dialog in a plain classic look saved as PNG.
//
// Backends: cairo on POSIX (an image surface; the device context is a cairo_t*), a GDI memory
// device context on Windows (no pictures: the Win32 dialogs take real ones).
//
// Thread: the thread running the dialog. No call throws.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/drawing.h"

namespace kestrava {

// What a picture of the dialog shows, in pixels of the client area.
struct DialogLook {
  enum class Kind { PushButton, CheckBox, Label, Edit, DropDown, ListView, UpDown, OwnerDrawn };
  struct Column {
    std::string heading;
    int width = 0;
  };
  struct Row {
    std::vector<std::string> texts;
    bool checked = false;
    bool selected = false;
  };
  struct Item {
    Kind kind = Kind::Label;
    Rect rect;
    std::string text;  // caption, edit text, drop-down selection
    bool checked = false;
    bool focused = false;
    bool is_default = false;
    bool enabled = true;
    bool check_boxes = false;  // list views
    std::vector<Column> columns;
    std::vector<Row> rows;
  };
  std::string caption;
  bool close_box = false;
  int width = 0;  // client area
  int height = 0;
  std::vector<Item> items;  // in template order; owner-drawn items are drawn by their handler
};

class DialogSurface {
 public:
  DialogSurface() = default;
  DialogSurface(const DialogSurface&) = delete;
  DialogSurface& operator=(const DialogSurface&) = delete;
  virtual ~DialogSurface() = default;

  // A device context whose origin is the top-left corner of `item` (client pixels), drawing
  // clipped to it, as Windows hands an owner-drawn control its own device context. Valid until
  // EndItem; null when the surface cannot draw.
  virtual DeviceContext BeginItem(const Rect& item) = 0;
  virtual void EndItem() = 0;
  // Paints the frame, the caption bar and every item but the owner-drawn ones, over whatever
  // was drawn before. Does nothing where pictures are not available.
  virtual void Paint(const DialogLook& look) = 0;
  // Writes the picture (frame included) as PNG; false when it cannot, or where pictures are not
  // available.
  virtual bool SavePng(const std::string& path) = 0;
};

// A surface for a dialog whose client area is `width` x `height` pixels.
std::unique_ptr<DialogSurface> MakeDialogSurface(int width, int height);

}  // namespace kestrava
